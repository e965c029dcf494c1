#pragma once
// Shared set-up of the tests: a private program folder, fake services and a clean state of
// the run's process-wide objects.
#include "platform/mtgdi/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace muralto::test {

// A fresh folder under the system's temporary folder, removed afterwards. Ends with '/'.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

std::string Fixture(const std::string& relative);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// A small valid 24-bit bitmap file of one colour (0xRRGGBB).
void WriteBitmap(const std::string& path, int width, int height, uint32_t rgb);
// A bitmap file as read by the program's bitmap reader; empty when it cannot be read.
BitmapPtr ReadBmpFile(const std::string& path);

// Same size and the same colour at every pixel, whatever the formats.
bool SamePixels(const MTBitmap* a, const MTBitmap* b);

// Fakes in, process-wide objects reset, MURALTO_HOME and XDG_RUNTIME_DIR pointed at a
// fresh folder of the fixture.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TempDir home;
};

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};
// Runs a program of the build folder with arguments and extra environment settings.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment = {});

} // namespace muralto::test

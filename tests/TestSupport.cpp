#include "TestSupport.h"

#include "decor/OptList.h"

#include "buffer/DataFiles.h"
#include "buffer/MWBuf.h"
#include "compose/ChangePipeline.h"
#include "compose/MWGraphic.h"
#include "core/CmdParam.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/mtgdi/Bitmap.h"
#include "settings/Options.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace muralto::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "muralto-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern + "/";
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string Fixture(const std::string& relative) {
    return std::string(MURALTO_TEST_DATA) + "/" + relative;
}

std::string ReadFile(const std::string& path) {
    return ReadWholeFile(path);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void WriteBitmap(const std::string& path, int width, int height, uint32_t rgb) {
    BitmapPtr bitmap(mtgdi_create(width, height, MT_PF24));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = mtgdi_scanline(bitmap.get(), y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(rgb);
            row[3 * x + 1] = uint8_t(rgb >> 8);
            row[3 * x + 2] = uint8_t(rgb >> 16);
        }
    }
    SaveBitmapFile(bitmap.get(), path);
}

void ProgramTest::SetUp() {
    setenv("MURALTO_HOME", home.Path().c_str(), 1);
    const std::string runtime = home / "runtime";
    std::filesystem::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "xdg-data").c_str(), 1);
    setenv("MURALTO_REGISTRY", (home / "registry.db").c_str(), 1);
    CloseSettingsRegistry();
    FormatNames() = TFormatNames();
    UseFakeServices();
    SeedRandom(12345);
    ParamOption().Clear();
    Setting() = TSetting();
    Setting().CurrentUser = "Default";
    ResetDataFileStates();
    SetDefaultDataMode(false);
    for (TCustomFileBuffer* buffer : {static_cast<TCustomFileBuffer*>(&WallpaperBuffer()),
                                      static_cast<TCustomFileBuffer*>(&WaveBuffer()),
                                      static_cast<TCustomFileBuffer*>(&TextuerBuffer())}) {
        buffer->Clear();
        buffer->Monitoring.Clear();
        buffer->Files.SetSorted(true);
        buffer->Remain.SetSorted(true);
        buffer->SetMask("*.*");
    }
    WallpaperBuffer().CurrentFile.clear();
    Pipeline().Decorations = {nullptr, nullptr, nullptr};
    CalenderList().Clear();
    CalenderList().Holidays().LoadFromText("");
    AnnoList().Clear();
    DrawNameList().Clear();
    DrawNameList().FileName.clear();
    DeskTop().SetCalculation(ctScreen);
    Pipeline().Effects = nullptr;
}

void ProgramTest::TearDown() {
    for (TCustomFileBuffer* buffer : {static_cast<TCustomFileBuffer*>(&WallpaperBuffer()),
                                      static_cast<TCustomFileBuffer*>(&WaveBuffer()),
                                      static_cast<TCustomFileBuffer*>(&TextuerBuffer())})
        buffer->Clear();
    CloseSettingsRegistry();
    unsetenv("MURALTO_HOME");
    unsetenv("MURALTO_REGISTRY");
}

bool SamePixels(const MTBitmap* a, const MTBitmap* b) {
    if (mtgdi_width(a) != mtgdi_width(b) || mtgdi_height(a) != mtgdi_height(b))
        return false;
    for (int y = 0; y < mtgdi_height(a); ++y)
        for (int x = 0; x < mtgdi_width(a); ++x)
            if (mtgdi_get_pixel(a, x, y) != mtgdi_get_pixel(b, x, y))
                return false;
    return true;
}

BitmapPtr ReadBmpFile(const std::string& path) {
    const std::string bytes = ReadFile(path);
    MTBitmap* b = nullptr;
    mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &b);
    return BitmapPtr(b);
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const std::string& setting : environment) {
        const size_t eq = setting.find('=');
        env.insert(QString::fromStdString(setting.substr(0, eq)),
                   QString::fromStdString(setting.substr(eq + 1)));
    }
    process.setProcessEnvironment(env);
    QStringList arguments;
    for (const std::string& a : args)
        arguments << QString::fromStdString(a);
    const std::string path =
        program.front() == '/' ? program : std::string(MURALTO_PROGRAM_DIR) + "/" + program;
    process.start(QString::fromStdString(path), arguments);
    ProcessResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

} // namespace muralto::test

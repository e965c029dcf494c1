#include "platform/Files.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace muralto {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(Files, AtomicWriteReplacesWholeFile) {
    TempDir dir;
    const std::string path = dir / "data.bin";
    WriteFile(path, "old content");
    WriteFileAtomically(path, "new");
    EXPECT_EQ(ReadFile(path), "new");
}

// A write that fails part way (here: the file-size limit, as a full disk would) leaves
// the previous file byte for byte, and no temporary file behind.
TEST(Files, FailedWriteLeavesPreviousFile) {
    TempDir dir;
    const std::string path = dir / "data.bin";
    WriteFile(path, "previous");
    const auto writeUnderLimit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteFileAtomically(path, std::string(1000, 'x'));
        } catch (const FileError&) {
            std::_Exit(3);
        }
        std::_Exit(0);
    };
    EXPECT_EXIT(writeUnderLimit(), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(ReadFile(path), "previous");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(Files, KeepAsideNumbersLaterCopies) {
    TempDir dir;
    const std::string path = dir / "BUFFERS.MWF";
    WriteFile(path, "one");
    EXPECT_EQ(KeepAside(path), path + ".damaged");
    WriteFile(path, "two");
    EXPECT_EQ(KeepAside(path), path + ".2.damaged");
    EXPECT_EQ(ReadFile(path + ".damaged"), "one");
    EXPECT_EQ(ReadFile(path + ".2.damaged"), "two");
    EXPECT_EQ(KeepAside(path), "");
}

TEST(Files, ReadingAFolderOrMissingFileRaises) {
    TempDir dir;
    EXPECT_THROW(ReadWholeFile(dir / "missing"), FileError);
    EXPECT_THROW(ReadWholeFile(dir.Path()), FileError);
}

} // namespace
} // namespace muralto

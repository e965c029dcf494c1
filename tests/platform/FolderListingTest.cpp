#include "platform/FolderListing.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

TEST(FolderListing, FilesInByteOrderFolderBeforeSubFolders) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir / "b/deep");
    test::WriteFile(dir / "b.bmp", "");
    test::WriteFile(dir / "B.bmp", "");
    test::WriteFile(dir / "b/deep/x.bmp", "");
    test::WriteFile(dir / "b/a.bmp", "");
    fs::create_directory_symlink(dir.Path(), dir / "b/loop"); // must not recurse forever
    const std::vector<std::string> flat = ListFiles(dir.Path(), false);
    EXPECT_EQ(flat, (std::vector<std::string>{dir / "B.bmp", dir / "b.bmp"}));
    const std::vector<std::string> all = ListFiles(dir.Path(), true);
    EXPECT_EQ(all, (std::vector<std::string>{dir / "B.bmp", dir / "b.bmp", dir / "b/a.bmp",
                                             dir / "b/deep/x.bmp"}));
}

TEST(FolderListing, UnreadableFolderIsEmpty) {
    EXPECT_TRUE(ListFolder("/nonexistent/folder").empty());
}

} // namespace
} // namespace muralto

#include "buffer/ExtReg.h"
#include "buffer/FolderScan.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

TEST(ExtReg, MasksBecomeEntries) {
    const struct {
        const char* mask;
        bool asterisk;
        std::vector<std::string> entries;
    } cases[] = {
        {"*.BMP", true, {"*.bmp"}},
        {";;*.gif;", true, {"*.gif"}},
        {"*.*", true, {"*.*"}},
        {"*.png", false, {".png"}},
        {"*.jpg;*.JPEG;*.bmp", true, {"*.jpg", "*.jpeg", "*.bmp"}},
        {";;;", true, {}},
        {"", true, {}},
    };
    for (const auto& c : cases) {
        TExtention e;
        e.SetAsterisk(c.asterisk);
        e.SetMask("*.x"); // a fresh matcher holds "*.*" unparsed: give it another first
        e.SetMask(c.mask);
        EXPECT_EQ(e.Entries(), c.entries) << c.mask;
    }
    TExtention fresh; // the initial "*.*" is not parsed
    EXPECT_EQ(fresh.Mask(), "*.*");
    EXPECT_EQ(fresh.Count(), 0);
}

TEST(ExtReg, MatchesByExtensionIgnoringCase) {
    TExtention e;
    e.SetMask("*.BMP;*.jpg");
    EXPECT_EQ(e.Mask(), "*.bmp;*.jpg");
    const struct {
        const char* name;
        bool matches;
    } cases[] = {{"/p/PIC.Bmp", true}, {"/p/a.JPG", true},      {"/p/a.jpeg", false},
                 {"/p/noext", false},  {"/p/a.bmp.txt", false}, {"/p.d/file", false}};
    for (const auto& c : cases)
        EXPECT_EQ(e.Matches(c.name), c.matches) << c.name;
    TExtention bare;
    bare.SetAsterisk(false);
    bare.SetMask("*.png");
    EXPECT_TRUE(bare.Matches("/x/y.PNG"));
    TExtention all;
    all.SetMask("*.*");
    EXPECT_FALSE(all.Matches("/x/y.png")); // "*.*" matches no name: callers skip it
    bare.SetAsterisk(true);
    EXPECT_EQ(bare.Entries(), std::vector<std::string>{"*.png"});
}

TEST(ExtReg, ListingsHonourOrderAttributesAndLinks) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    for (const char* f : {"b.bmp", "a.BMP", "c.jpg", ".hidden.bmp", "notes.txt", "sub/x.bmp",
                          "sub/deeper/y.bmp", ".secret/z.bmp", "zz/w.bmp"}) {
        fs::create_directories(fs::path(dir / f).parent_path());
        test::WriteFile(dir / f, "x");
    }
    fs::create_directory_symlink(dir.Path(), dir / "sub/loop");
    TExtention e;
    e.SetMask("*.bmp;*.jpg");
    std::vector<std::string> names;
    e.ListFiles(dir.Path(), names);
    EXPECT_EQ(names, (std::vector<std::string>{dir / "a.BMP", dir / "b.bmp", dir / "c.jpg"}));
    names.clear();
    e.ListFilesRecursive(dir.Path(), names);
    EXPECT_EQ(names, (std::vector<std::string>{dir / "a.BMP", dir / "b.bmp", dir / "c.jpg",
                                               dir / "sub/x.bmp", dir / "sub/deeper/y.bmp",
                                               dir / "zz/w.bmp"}));
    e.FileAttr = efaHidden;
    e.DirAttr = edaHidden;
    names.clear();
    e.ListFilesRecursive(dir.Path(), names);
    EXPECT_NE(std::find(names.begin(), names.end(), dir / ".hidden.bmp"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), dir / ".secret/z.bmp"), names.end());
    names.clear();
    e.ListFiles(dir / "missing", names); // an unreadable folder lists nothing
    EXPECT_TRUE(names.empty());
}

TEST(ExtReg, BackgroundScanHandsOverTheListingFolderByFolder) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    for (int folder = 0; folder < 40; ++folder)
        for (int file = 0; file < 3; ++file) {
            const std::string path =
                dir / ("f" + std::to_string(folder) + "/sub/p" + std::to_string(file) + ".bmp");
            fs::create_directories(fs::path(path).parent_path());
            test::WriteFile(path, "x");
        }
    TExtention e;
    e.SetMask("*.bmp");
    std::vector<std::string> listed, scanned, batch;
    e.ListFilesRecursive(dir.Path(), listed);
    {
        TFolderScan scan(e, dir.Path(), true);
        while (scan.Next(batch)) {
            EXPECT_EQ(batch.size(), 3u); // one folder's files at a time
            scanned.insert(scanned.end(), batch.begin(), batch.end());
        }
    }
    EXPECT_EQ(scanned, listed);
    EXPECT_EQ(listed.size(), 120u);

    TFolderScan flat(e, dir / "f0/sub", false);
    ASSERT_TRUE(flat.Next(batch));
    EXPECT_EQ(batch.size(), 3u);
    EXPECT_FALSE(flat.Next(batch));

    // A scan stopped and dropped at once ends its thread (no hang in the destructor).
    for (int i = 0; i < 20; ++i) {
        TFolderScan stopped(e, dir.Path(), true);
        if (i % 2)
            stopped.Stop();
    }
}

} // namespace
} // namespace muralto

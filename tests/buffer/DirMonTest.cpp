#include "buffer/DirMon.h"

#include "TestSupport.h"
#include "buffer/MWBuf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace muralto {
namespace {

namespace fs = std::filesystem;

class DirMonTest : public test::ProgramTest {
protected:
    std::vector<std::string> reported;
    void Watch(TMonitoring& m) {
        m.OnChange = [this](const std::string& folder) { reported.push_back(folder); };
    }
};

TEST_F(DirMonTest, EachChangedFolderOncePerPoll) {
    TMonitoring m;
    Watch(m);
    std::vector<std::string> folders;
    for (int i = 0; i < 70; ++i) {
        folders.push_back(home / ("f" + std::to_string(i)));
        fs::create_directories(folders.back());
        EXPECT_EQ(m.AddFolder(folders.back(), true), i);
    }
    EXPECT_EQ(m.AddFolder(folders[3], true), 3);
    EXPECT_EQ(m.AddFolder(home / "F3", true), 70); // another text: another watch, never fires
    m.SetActive(true);
    for (int k = 0; k < 5; ++k)
        test::WriteFile(folders[69] + "/x" + std::to_string(k) + ".bmp", "x");
    test::WriteFile(folders[0] + "/y.bmp", "y");
    m.Poll();
    EXPECT_EQ(reported, (std::vector<std::string>{folders[0], folders[69]}));
    reported.clear();
    m.Poll();
    EXPECT_TRUE(reported.empty());
}

TEST_F(DirMonTest, ChangesWhileOffAreForgotten) {
    TMonitoring m;
    Watch(m);
    fs::create_directories(home / "w");
    m.AddFolder(home / "w", true);
    test::WriteFile(home / "w/a.bmp", "a"); // the monitoring itself is off
    m.SetActive(true);
    m.Poll();
    EXPECT_TRUE(reported.empty());
    m.SetActive(false);
    test::WriteFile(home / "w/b.bmp", "b");
    m.SetActive(true);
    m.Poll();
    EXPECT_TRUE(reported.empty());
    fs::rename(home / "w/b.bmp", home / "w/c.bmp");
    m.Poll();
    EXPECT_EQ(reported.size(), 1u);
}

TEST_F(DirMonTest, SubTreesFollowNewFoldersAndMissingFoldersStaySilent) {
    TMonitoring m;
    Watch(m);
    m.SetWatchSubTree(true);
    fs::create_directories(home / "tree/a");
    m.AddFolder(home / "tree", true);
    m.AddFolder(home / "not-there", true);
    m.SetActive(true);
    fs::create_directories(home / "tree/a/new");
    m.Poll();
    reported.clear();
    test::WriteFile(home / "tree/a/new/p.bmp", "p");
    m.Poll();
    EXPECT_EQ(reported, (std::vector<std::string>{home / "tree"}));
}

// The program's binding: new pictures in watched wallpaper folders are registered, what
// is still there stays, and other files are not taken.
TEST_F(DirMonTest, WatchedWallpaperFoldersRegisterExactlyTheNewPictures) {
    TFileBuffer& buffer = WallpaperBuffer();
    buffer.SetMask("*.bmp;*.jpg");
    buffer.Monitoring.SetWatchSubTree(true);
    buffer.OnChangeDir = [](TCustomFileBuffer& b, const std::string& folder) {
        static_cast<TFileBuffer&>(b).RegisterNewIn(folder, true, false);
    };
    std::vector<std::string> folders;
    for (int i = 0; i < 70; ++i) {
        folders.push_back(home / ("album" + std::to_string(i)));
        fs::create_directories(folders.back() + "/sub");
        test::WriteFile(folders.back() + "/old.bmp", "o");
        buffer.AddFolder(folders.back());
    }
    buffer.AddFileEx(folders[0] + "/old.bmp", 0, true, false);
    buffer.Monitoring.SetActive(true);
    test::WriteFile(folders[1] + "/new.jpg", "n");                     // created
    test::WriteFile(folders[2] + "/tmp.part", "t");                    // not a picture
    fs::rename(folders[2] + "/tmp.part", folders[2] + "/renamed.bmp"); // given a picture name
    test::WriteFile(folders[69] + "/sub/deep.bmp", "d");               // in a sub-folder
    std::ofstream(folders[0] + "/old.bmp", std::ios::app) << "more";   // written again
    buffer.Monitoring.Poll();
    std::vector<std::string> expected = {folders[0] + "/old.bmp",      folders[1] + "/new.jpg",
                                         folders[1] + "/old.bmp",      folders[2] + "/old.bmp",
                                         folders[2] + "/renamed.bmp",  folders[69] + "/old.bmp",
                                         folders[69] + "/sub/deep.bmp"};
    std::vector<std::string> names = buffer.Files.Names();
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    buffer.Monitoring.SetActive(false);
    buffer.Monitoring.Clear();
}

TEST_F(DirMonTest, StoppedRegistrationKeepsWhatWasDone) {
    TFileBuffer buffer;
    buffer.SetMask("*.*");
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i)
        names.push_back("/p/" + std::to_string(1000 + i) + ".bmp");
    buffer.AddFilesEx(names, 0, true, false,
                      [](TCustomFileBuffer&, int, bool& stop, const std::string&, int,
                         int position) { stop = position == 49; });
    EXPECT_EQ(buffer.Count(), 50);
    EXPECT_EQ(buffer.UpdateCount(), 0);
}

} // namespace
} // namespace muralto

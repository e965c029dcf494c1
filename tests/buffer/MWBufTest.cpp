#include "buffer/MWBuf.h"

#include "TestSupport.h"
#include "core/CmdParam.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace muralto {
namespace {

class MWBufTest : public test::ProgramTest {
protected:
    MWBufTest() { buffer.SetMask("*.*"); }
    // Registers existing files named in the home folder.
    std::vector<std::string> MakeFiles(std::initializer_list<const char*> names) {
        std::vector<std::string> paths;
        for (const char* name : names) {
            paths.push_back(home / name);
            test::WriteFile(paths.back(), "x");
        }
        return paths;
    }
    TFileBuffer buffer;
};

TEST_F(MWBufTest, RegisteringTwiceKeepsOneRecordAndItsAttributes) {
    const auto files = MakeFiles({"a.bmp"});
    const int first = buffer.AddFileEx(files[0], 1, true, false);
    buffer.Data(first)->Data.Brightness = 42;
    const int second = buffer.AddFileEx(files[0], 3, true, false);
    EXPECT_EQ(first, second);
    EXPECT_EQ(buffer.Count(), 1);
    EXPECT_EQ(buffer.Data(first)->Data.ShowStyle, 1);
    EXPECT_EQ(buffer.Data(first)->Data.Brightness, 42);
}

TEST_F(MWBufTest, FolderTreeIsRegisteredWhileReadAndAStopKeepsWhatWasRegistered) {
    for (int folder = 0; folder < 5; ++folder) {
        const std::string path = home / ("tree/f" + std::to_string(folder));
        std::filesystem::create_directories(path);
        for (int file = 0; file < 10; ++file)
            test::WriteFile(path + "/p" + std::to_string(file) + (file % 5 ? ".bmp" : ".txt"), "x");
    }
    buffer.SetMask("*.bmp");
    std::vector<std::string> listed;
    buffer.Extention.ListFilesRecursive(home / "tree", listed);
    ASSERT_EQ(listed.size(), 40u);

    buffer.AddFolderFiles(home / "tree", true, false, 3, true, false, nullptr);
    EXPECT_EQ(buffer.Files.Names(), listed);
    EXPECT_EQ(buffer.Data(0)->Data.ShowStyle, 3);
    EXPECT_EQ(buffer.Remain.Count(), 40);

    TFileBuffer stopped;
    stopped.SetMask("*.bmp");
    int reported = 0;
    stopped.AddFolderFiles(home / "tree", true, false, 0, true, false,
                           [&](TCustomFileBuffer&, int, bool& stop, const std::string&, int, int) {
                               stop = ++reported == 23;
                           });
    EXPECT_EQ(reported, 23);
    EXPECT_EQ(stopped.Count(), 23);

    TFileBuffer stock;
    stock.SetMask("*.bmp");
    stock.AddFolderFiles(home / "tree/f0", false, true, 0, true, false, nullptr);
    EXPECT_EQ(stock.StockCount(), 8);
    EXPECT_EQ(stock.Count(), 0);
}

TEST_F(MWBufTest, MaskDecidesWhatMayBeRegistered) {
    buffer.SetMask("*.bmp");
    EXPECT_EQ(buffer.Add("/p/photo.jpg"), -1);
    EXPECT_GE(buffer.Add("/p/PHOTO.BMP"), 0);
    buffer.SetMask("*.*");
    EXPECT_GE(buffer.Add("/p/noextension"), 0);
}

TEST_F(MWBufTest, EachFileOnceACycle) {
    const auto files = MakeFiles({"a.bmp", "b.bmp", "c.bmp"});
    buffer.AddFilesEx(files, 0, true, false, nullptr);
    for (int cycle = 0; cycle < 3; ++cycle) {
        std::set<std::string> seen;
        for (int i = 0; i < 3; ++i)
            seen.insert(buffer.GetNext());
        EXPECT_EQ(seen, std::set<std::string>(files.begin(), files.end()));
        EXPECT_EQ(buffer.Remain.Count(), 0);
    }
    EXPECT_EQ(buffer.CurrentData, buffer.Data(buffer.IndexOf(buffer.CurrentFile)));
}

TEST_F(MWBufTest, VanishedFileIsDroppedButUnreachableFolderIsKept) {
    const auto files = MakeFiles({"a.bmp", "gone.bmp"});
    buffer.AddFilesEx(files, 0, true, false, nullptr);
    buffer.AddFileEx("/unmounted/disk/c.bmp", 0, true, false);
    std::filesystem::remove(files[1]);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(buffer.GetNext(), files[0]);
    EXPECT_EQ(buffer.IndexOf(files[1]), -1);
    EXPECT_GE(buffer.IndexOf("/unmounted/disk/c.bmp"), 0);
}

TEST_F(MWBufTest, BufferWithNothingReachableEndsInTheSilentAbort) {
    // Thousands of vanished files must not exhaust the stack.
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i)
        names.push_back(home / ("gone" + std::to_string(i) + ".bmp"));
    buffer.AddFilesEx(names, 0, true, false, nullptr);
    buffer.AddFileEx("/unmounted/x.bmp", 0, true, false);
    buffer.CurrentFile = "before";
    EXPECT_THROW(buffer.GetNext(), EAbort);
    EXPECT_EQ(buffer.Count(), 1); // only the file of the unreachable folder stays
    EXPECT_EQ(buffer.CurrentFile, "before");
}

TEST_F(MWBufTest, EmptyBufferAbortsSilentlyAndLeavesCurrentFile) {
    buffer.CurrentFile = "/old.bmp";
    EXPECT_THROW(buffer.GetNext(), EAbort);
    EXPECT_EQ(buffer.CurrentFile, "/old.bmp");
    const auto files = MakeFiles({"a.bmp"});
    buffer.AddFileEx(files[0], 0, true, false);
    EXPECT_EQ(buffer.GetNext(), files[0]);
    EXPECT_EQ(buffer.CurrentFile, files[0]);
}

TEST_F(MWBufTest, DeletedFileLeftAloneInRemainIsReturnedWithoutRecord) {
    const auto files = MakeFiles({"a.bmp", "b.bmp"});
    buffer.AddFilesEx(files, 0, true, false, nullptr);
    buffer.Remain.Remove(files[0]);
    buffer.Remove(files[1]); // stays in Remain as the only name
    ASSERT_EQ(buffer.Remain.Count(), 1);
    EXPECT_EQ(buffer.GetNext(), files[1]);
    EXPECT_EQ(buffer.CurrentFile, "");
    EXPECT_EQ(buffer.CurrentData, nullptr);
}

TEST_F(MWBufTest, FindExistsDropsMissingFilesFromBothLists) {
    const auto files = MakeFiles({"1.bmp", "2.bmp", "3.bmp", "4.bmp", "5.bmp"});
    buffer.AddFilesEx(files, 0, true, false, nullptr);
    std::filesystem::remove(files[1]);
    std::filesystem::remove(files[3]);
    int calls = 0;
    EXPECT_EQ(buffer.FindExists(
                  [&](TCustomFileBuffer&, int total, bool&, const std::string&, int, int position) {
                      EXPECT_EQ(total, 5);
                      EXPECT_EQ(position, calls++);
                  }),
              2);
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(buffer.Count(), 3);
    EXPECT_EQ(buffer.Remain.Names(), (std::vector<std::string>{files[0], files[2], files[4]}));
}

TEST_F(MWBufTest, StockMovesKeepEveryAttribute) {
    const auto files = MakeFiles({"a.bmp"});
    SetDefaultDataMode(true); // a move is not a registration
    const int index = buffer.AddFileEx(files[0], 2, true, false);
    TDataInf* data = buffer.Data(index);
    data->TextuerFile = "/tex/t.bmp";
    data->Data.Contrast = -3;
    TDataInf* inStock = buffer.MoveToStock(files[0], data);
    EXPECT_EQ(buffer.Count(), 0);
    EXPECT_TRUE(inStock->InStock);
    EXPECT_EQ(buffer.AddFileEx(files[0], 4, true, false), 0); // the stock index, no change
    EXPECT_EQ(buffer.StockCount(), 1);
    TDataInf* back = buffer.RestoreFromStock(files[0], inStock);
    EXPECT_EQ(buffer.StockCount(), 0);
    EXPECT_EQ(back->TextuerFile, "/tex/t.bmp");
    EXPECT_EQ(back->Data.Contrast, -3);
    EXPECT_EQ(back->Data.ShowStyle, 2);

    buffer.MoveToStock(files[0], back);
    const int restored = buffer.AddFileEx(files[0], 4, true, true);
    EXPECT_EQ(buffer.Data(restored)->Data.ShowStyle, 4);
    EXPECT_EQ(buffer.Data(restored)->TextuerFile, "/tex/t.bmp");
}

TEST_F(MWBufTest, FilterAndStatistics) {
    buffer.AddFileEx("/p/c.bmp", 1, true, false);
    buffer.AddFileEx("/p/a.bmp", 1, true, false);
    buffer.AddFileEx("/p/b.bmp", 0, true, false);
    buffer.AddStock("/p/s.bmp");
    TStringsEx view;
    EXPECT_EQ(buffer.Filter(view, 0x01 | 0x20), 2);
    EXPECT_EQ(view.items[0].name, "/p/b.bmp");
    EXPECT_EQ(view.items[1].name, "/p/s.bmp");
    EXPECT_TRUE(view.items[1].data->InStock);
    EXPECT_EQ(view.Styles, 0x21);
    EXPECT_EQ(buffer.Statistics(), (std::array<int32_t, 7>{4, 1, 2, 0, 0, 0, 1}));
}

TEST_F(MWBufTest, FindNamePartialFoldsCaseExactDoesNot) {
    buffer.AddFileEx("/p/picture.bmp", 0, true, false);
    std::string result = "unchanged";
    buffer.FindName("PIC", false, result);
    EXPECT_EQ(result, "unchanged");
    buffer.FindName("PIC", true, result);
    EXPECT_EQ(result, "/p/picture.bmp");
}

TEST_F(MWBufTest, UnregisterRemovesTheRecordFromItsList) {
    buffer.AddFileEx("/p/a.bmp", 0, true, false);
    buffer.AddFileEx("/p/b.bmp", 0, true, false);
    bool destroyed = false;
    TDataInf* a = buffer.Data(buffer.IndexOf("/p/a.bmp"));
    a->OnDestroy = [&](TDataInf&) { destroyed = true; };
    a->Unregister();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(buffer.Files.Names(), (std::vector<std::string>{"/p/b.bmp"}));
    EXPECT_EQ(buffer.Remain.Names(), (std::vector<std::string>{"/p/b.bmp"}));
}

TEST_F(MWBufTest, ScanFoldersRegistersNewFilesWithTheDefaultStyle) {
    std::filesystem::create_directories(home / "pics/sub");
    for (const char* name : {"pics/a.bmp", "pics/b.txt", "pics/sub/c.bmp"})
        test::WriteFile(home / name, "x");
    buffer.SetMask("*.bmp");
    buffer.AddFolder(home / "pics");
    Setting().DefaultShowStyle = 3;
    EXPECT_EQ(buffer.ScanFolders(nullptr, nullptr), 1);
    EXPECT_EQ(buffer.Data(buffer.IndexOf(home / "pics/a.bmp"))->Data.ShowStyle, 3);
    ParamOption().AddParam("/SUB");
    EXPECT_EQ(buffer.ScanFolders(nullptr, nullptr), 1);
    EXPECT_GE(buffer.IndexOf(home / "pics/sub/c.bmp"), 0);
}

} // namespace
} // namespace muralto

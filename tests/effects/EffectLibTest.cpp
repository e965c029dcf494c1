#include "effects/EffectList.h"

#include "TestSupport.h"
#include "buffer/DataFiles.h"
#include "buffer/StmList.h"
#include "settings/Options.h"
#include "sources/LibInfodlg.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A folder holding copies of some of the test libraries and of the delivered ones.
class LibraryFolder {
public:
    LibraryFolder& Test(const std::string& name, const std::string& as = "") {
        fs::copy_file(MURALTO_TEST_EFFECTS_DIR + name + ".egl",
                      dir / (as.empty() ? name + ".egl" : as));
        return *this;
    }
    LibraryFolder& Delivered(const std::string& file) {
        fs::copy_file(std::string(MURALTO_PROGRAM_DIR "/") + file, dir / file);
        return *this;
    }
    LibraryFolder& File(const std::string& name, const std::string& bytes) {
        test::WriteFile(dir / name, bytes);
        return *this;
    }
    const std::string& Path() const { return dir.Path(); }
    TempDir dir;
};

BitmapPtr Picture(uint32_t colour = 0x336699) {
    BitmapPtr image(mtgdi_create(4, 3, MT_PF24));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = mtgdi_scanline(image.get(), y) + 3 * x;
            p[0] = uint8_t(colour), p[1] = uint8_t(colour >> 8), p[2] = uint8_t(colour >> 16);
        }
    return image;
}

std::vector<std::string> Names(const TEffectLibrary& library) {
    std::vector<std::string> names;
    for (int i = 0; i < library.EffectCount(); ++i)
        names.push_back(library.EffectName(i));
    return names;
}

TEST(EffectHost, ADropInLibraryBuiltAgainstThePublicHeaderRuns) {
    LibraryFolder folder;
    folder.Test("example");
    TEffectLibrary library({folder.Path()});
    ASSERT_EQ(library.LibraryCount(), 1);
    EXPECT_EQ(library.LibraryTitle(0).rfind("Example Library 1.0", 0), 0u);
    EXPECT_EQ(EffectLibraryLines(library),
              QStringList{QString::fromStdString(library.LibraryTitle(0))});
    ASSERT_EQ(Names(library), std::vector<std::string>{"青を消す"});
    BitmapPtr image = Picture(0x336699);
    library.RunEffectByName("青を消す", image);
    EXPECT_EQ(mtgdi_get_pixel(image.get(), 2, 1), 0x336600u);
}

TEST(EffectHost, LibrariesThatBreakARuleAreSkippedAndTheRestLoad) {
    LibraryFolder folder;
    std::string wrongMachine = test::ReadFile(MURALTO_TEST_EFFECTS_DIR "example.egl");
    wrongMachine[18] = 0x28; // e_machine: ARM
    wrongMachine[19] = 0x00;
    folder.Test("absurdcount")
        .Test("example", "b-example.egl")
        .Test("missingexport")
        .Test("noindex")
        .Test("refuses")
        .Test("unterminated")
        .File("junk.egl", "not a library at all")
        .File("other-machine.egl", wrongMachine)
        .File("z-example.txt", "");
    fs::create_directory(folder.dir / "folder.egl");
    TEffectLibrary library({folder.Path()});
    // Loaded: the example, the one missing an export, the unterminated one.
    EXPECT_EQ(library.LibraryCount(), 3);
    const std::vector<std::string> names = Names(library);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "青を消す");
    EXPECT_EQ(names[1], "一");
    EXPECT_EQ(names[2], "三"); // the second's function is missing: left out, name and all
    EXPECT_EQ(names[3], std::string(255, 'A'));
    // Every name stays paired with its own function: "三" takes the blue out, "一" nothing.
    BitmapPtr image = Picture(0x336699);
    library.RunEffectByName("一", image);
    EXPECT_EQ(mtgdi_get_pixel(image.get(), 0, 0), 0x336699u);
    library.RunEffectByName("三", image);
    EXPECT_EQ(mtgdi_get_pixel(image.get(), 0, 0), 0x336600u);
}

TEST(EffectHost, FirstFolderAndFirstNameWin) {
    LibraryFolder first, second;
    first.Delivered("QXEFFECT.EGL");
    second.Delivered("QXEFFECT.EGL").Test("duplicate", "aaa-duplicate.egl");
    TEffectLibrary library({first.Path(), second.Path()});
    ASSERT_EQ(library.LibraryCount(), 2); // the second QXEFFECT.EGL is not loaded
    EXPECT_EQ(library.LibraryPath(0), first.Path() + "QXEFFECT.EGL");
    // Both offer "セピア"; the library loaded first answers, and case does not matter.
    EXPECT_EQ(library.EffectLibraryPath(library.IndexOfEffect("セピア")),
              first.Path() + "QXEFFECT.EGL");
    EXPECT_EQ(library.IndexOfEffect("rgb -> brg"), -1);
    EXPECT_EQ(library.IndexOfEffect("ネガポジ反転"), library.IndexOfEffect("ネガポジ反転"));
}

TEST(EffectHost, MisbehavingEffectsLeaveThePictureValid) {
    LibraryFolder folder;
    folder.Test("misbehaving");
    TEffectLibrary library({folder.Path()});
    for (const char* name : {"空", "他人"}) {
        BitmapPtr image = Picture(0x123456);
        EXPECT_NO_THROW(library.RunEffectByName(name, image)) << name;
        ASSERT_TRUE(mtgdi_is_bitmap(image.get()));
        EXPECT_EQ(mtgdi_get_pixel(image.get(), 1, 1), 0x123456u);
    }
    BitmapPtr image = Picture();
    try {
        library.RunEffectByName("失敗", image);
        FAIL() << "a failure passed on was not raised";
    } catch (const EEffectError& e) {
        EXPECT_NE(std::string(e.what()).find("ディスクが一杯です"), std::string::npos);
    }
    EXPECT_TRUE(mtgdi_is_bitmap(image.get()));
    // With a progress handler the library is told the percent and can be stopped.
    int told = -1;
    library.OnProgress = [&](uint16_t percent, bool& abort) {
        told = percent;
        abort = true;
    };
    EXPECT_NO_THROW(library.RunEffectByName("失敗", image));
    EXPECT_EQ(told, 50);
    EXPECT_THROW(library.RunEffect(library.EffectCount(), image), EListError);
    library.RunEffectByName("no such effect", image); // nothing
}

TEST(EffectHost, UnloadAllAndDropMissing) {
    LibraryFolder folder;
    folder.Test("example");
    TEffectLibrary library({folder.Path()});
    library.DropMissing();
    EXPECT_EQ(library.EffectCount(), 1);
    library.UnloadAll();
    EXPECT_EQ(library.EffectCount(), 0);
    EXPECT_EQ(library.LibraryCount(), 0);
}

// ---------------------------------------------------------------- effect patterns

class EffectPatterns : public test::ProgramTest {
protected:
    static std::unique_ptr<TEffectLibrary> DeliveredLibraries() {
        return std::make_unique<TEffectLibrary>(std::vector<std::string>{MURALTO_PROGRAM_DIR "/"});
    }
};

TEST_F(EffectPatterns, RunInOrderSkippingUnknownNames) {
    TEffectList list(DeliveredLibraries());
    TEffectItem& twice = list.AddItem();
    EXPECT_EQ(twice.Name(), "Effect Pattern 1");
    twice.Effects = {"ネガポジ反転", "removed library's effect", "ネガポジ反転", "RGB -> BRG"};
    BitmapPtr image = Picture(0x102030);
    list.RunPatternByName("Effect Pattern 1", image);
    EXPECT_EQ(mtgdi_get_pixel(image.get(), 0, 0), 0x301020u); // inverted twice, then BRG

    TEffectItem& empty = list.AddItem();
    BitmapPtr untouched = Picture(0x102030);
    list.RunPattern(1, untouched);
    list.RunPattern(7, untouched);
    list.RunPatternByName("", untouched);
    list.RunPatternByName("nothing of that name", untouched);
    EXPECT_EQ(mtgdi_get_pixel(untouched.get(), 0, 0), 0x102030u);
    EXPECT_TRUE(empty.Effects.empty());
}

TEST_F(EffectPatterns, FileLayoutAndRoundTrip) {
    TEffectList list(DeliveredLibraries());
    list.AddItem().Effects = {"セピア", "陰影 [光源＝左上, 強度＝中]"};
    list.AddItem().SetName("空");
    TMemoryStream stream;
    list.SaveToStream(stream);

    TStreamList container;
    stream.Seek(0);
    container.LoadFromStream(stream);
    ASSERT_EQ(container.Count(), 4);
    EXPECT_EQ(container.Streams(0).Bytes(), std::string("\x00\x00\x01\x00", 4));
    EXPECT_EQ(container.Streams(1).Bytes(), "Effect Pattern 1\r\n空\r\n");
    EXPECT_EQ(container.Streams(2).Bytes(), "セピア\r\n陰影 [光源＝左上, 強度＝中]\r\n");
    EXPECT_EQ(container.Streams(3).Bytes(), "");

    // Repeated names load as they are; a lookup finds the first.
    TStreamList twice;
    twice.Streams(twice.Add()).WriteInt32(0x00010000);
    twice.Streams(twice.Add()).Write(std::string("P\nP\r"));
    twice.Streams(twice.Add()).Write(std::string("セピア"));
    twice.Streams(twice.Add()).Write(std::string("アイス\rフォレスト"));
    TMemoryStream bytes;
    twice.SaveToStream(bytes);
    bytes.Seek(0);
    TEffectList loaded(DeliveredLibraries());
    loaded.LoadFromStream(bytes);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.IndexOfName("P"), 0);
    EXPECT_EQ(loaded.Item(1).Effects, (std::vector<std::string>{"アイス", "フォレスト"}));
}

TEST_F(EffectPatterns, MissingRunListsRaiseAndKeepWhatWasRead) {
    TStreamList short_;
    short_.Streams(short_.Add()).WriteInt32(0x00010000);
    short_.Streams(short_.Add()).Write(std::string("A\r\nB\r\nC\r\n"));
    short_.Streams(short_.Add()).Write(std::string("セピア\r\n"));
    TMemoryStream bytes;
    short_.SaveToStream(bytes);
    bytes.Seek(0);
    TEffectList list(DeliveredLibraries());
    EXPECT_THROW(list.LoadFromStream(bytes), Exception);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(0).Name(), "A");
}

TEST_F(EffectPatterns, TheFileFollowsTheDataFileRules) {
    LoadData();
    const std::string path = Setting().DataFolder() + kEffectFileName;
    EffectList().Clear();
    EffectList().AddItem().Effects = {"セピア"};
    SaveData();
    ASSERT_TRUE(fs::exists(path));
    EffectList().Clear();
    LoadData();
    ASSERT_EQ(EffectList().Count(), 1);
    EXPECT_EQ(EffectList().Item(0).Effects, std::vector<std::string>{"セピア"});
    EffectList().Clear();
    SaveData();
    EXPECT_FALSE(fs::exists(path));

    test::WriteFile(path, "damaged");
    EXPECT_EQ(LoadData().size(), 1u);
    EffectList().AddItem();
    SaveData();
    EXPECT_EQ(test::ReadFile(path + ".damaged"), "damaged");
    EffectList().Clear();
}

} // namespace
} // namespace muralto

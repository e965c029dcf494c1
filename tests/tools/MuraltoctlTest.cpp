#include "TestSupport.h"

#include "platform/mtgdi/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <filesystem>

namespace muralto {
namespace {

using test::RunProgram;

class MuraltoctlTest : public ::testing::Test {
protected:
    test::ProcessResult Ctl(const std::vector<std::string>& args) {
        return RunProgram("muraltoctl", args,
                          {"MURALTO_HOME=" + home.Path(),
                           "MURALTO_REGISTRY=" + home / "registry.db",
                           "XDG_DATA_HOME=" + home / "xdg-data"});
    }
    std::string Picture(const std::string& name, uint32_t rgb = 0x808080) {
        std::filesystem::create_directories(std::filesystem::path(home / name).parent_path());
        test::WriteBitmap(home / name, 8, 6, rgb);
        return home / name;
    }
    test::TempDir home;
};

TEST_F(MuraltoctlTest, HelpNamesEveryCommand) {
    const auto help = Ctl({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"--version", "buffer list", "buffer add", "buffer remove",
                                "buffer next", "buffer export", "buffer import", "render"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    const auto version = Ctl({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("muraltoctl ", 0), 0u);
}

TEST_F(MuraltoctlTest, UserErrorsAreOneLineAndStatusOne) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"buffer", "add"},
                                               {"render", "x.bmp"},
                                               {"buffer", "list", "--bad"},
                                               {"render", "missing.bmp", "-o"},
                                               {"buffer", "import", "/nonexistent.mbf"}}) {
        const auto r = Ctl(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("muraltoctl: ", 0), 0u) << r.err;
    }
}

TEST_F(MuraltoctlTest, AddListNextRemove) {
    const std::string a = Picture("pics/a.bmp"), b = Picture("pics/sub/b.bmp");
    test::WriteFile(home / "pics/notes.txt", "not a picture");
    EXPECT_EQ(Ctl({"buffer", "add", home / "pics"}).out, "1 added\n"); // the folder alone
    auto added = Ctl({"buffer", "add", home / "pics", "--recursive"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "1 added\n"); // the sub-folder's

    const auto list = Ctl({"buffer", "list"});
    EXPECT_EQ(list.out,
              a +
                  "\tshow=0 resize=0 date=3 calendar=3 filename=3 effect=4 brightness=0 "
                  "contrast=0 sound=0 flags=0x00 transpos=0 transparent=0x000000 back=0x000000 "
                  "reserved=1\n" +
                  b +
                  "\tshow=0 resize=0 date=3 calendar=3 filename=3 effect=4 brightness=0 "
                  "contrast=0 sound=0 flags=0x00 transpos=0 transparent=0x000000 "
                  "back=0x000000 reserved=1\n");

    const auto first = Ctl({"buffer", "next"});
    const auto second = Ctl({"buffer", "next"});
    EXPECT_NE(first.out, second.out); // no repeat within a cycle, across runs too
    EXPECT_EQ(Ctl({"buffer", "list", "--remain"}).out, "");

    EXPECT_EQ(Ctl({"buffer", "remove", a}).status, 0);
    EXPECT_EQ(Ctl({"buffer", "list"}).out.find(a), std::string::npos);
    const auto again = Ctl({"buffer", "remove", a});
    EXPECT_EQ(again.status, 1);
}

TEST_F(MuraltoctlTest, ExportImportAndRender) {
    const std::string a = Picture("a.bmp", 0xFF8000);
    ASSERT_EQ(Ctl({"buffer", "add", a}).status, 0);
    ASSERT_EQ(Ctl({"buffer", "export", home / "saved.mbf"}).status, 0);
    ASSERT_EQ(Ctl({"buffer", "remove", a}).status, 0);
    ASSERT_EQ(Ctl({"buffer", "import", home / "saved.mbf"}).status, 0);
    EXPECT_NE(Ctl({"buffer", "list"}).out.find(a), std::string::npos);

    const auto render = Ctl({"render", a, "-o", home / "out.bmp"});
    ASSERT_EQ(render.status, 0) << render.err;
    const std::string bytes = test::ReadFile(home / "out.bmp");
    MTBitmap* out = nullptr;
    ASSERT_EQ(mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &out),
              MT_OK);
    EXPECT_EQ(mtgdi_format(out), MT_PF24);
    EXPECT_EQ(mtgdi_get_pixel(out, 3, 3), 0xFF8000u);
    mtgdi_free(out);

    test::WriteFile(home / "broken.bmp", "BMxx");
    EXPECT_EQ(Ctl({"render", home / "broken.bmp", "-o", home / "o2.bmp"}).status, 1);
}

TEST_F(MuraltoctlTest, DamagedBufferFileIsLeftAlone) {
    std::filesystem::create_directories(home / "Data/Default");
    std::filesystem::copy_file(test::Fixture("buffer/damaged-name-length.mwf"),
                               home / "Data/Default/BUFFERS.MWF");
    const auto r = Ctl({"buffer", "add", Picture("a.bmp")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(test::ReadFile(home / "Data/Default/BUFFERS.MWF"),
              test::ReadFile(test::Fixture("buffer/damaged-name-length.mwf")));
}

TEST_F(MuraltoctlTest, SettingsGetSetAndList) {
    EXPECT_EQ(Ctl({"settings", "get", "Minute"}).out, "15\n");
    EXPECT_EQ(Ctl({"settings", "get", "systembools"}).out, "01,04,00,00\n");
    ASSERT_EQ(Ctl({"settings", "set", "Minute", "45"}).status, 0);
    ASSERT_EQ(Ctl({"settings", "set", "SystemBools", "05,04,00,00"}).status, 0);
    ASSERT_EQ(Ctl({"settings", "set", "DefaultEffectPattern", "セピア"}).status, 0);
    EXPECT_EQ(Ctl({"settings", "get", "Minute"}).out, "45\n");
    EXPECT_EQ(Ctl({"settings", "get", "SystemBools"}).out, "05,04,00,00\n");
    const auto list = Ctl({"settings", "list"});
    EXPECT_NE(list.out.find("DefaultEffectPattern\tセピア\n"), std::string::npos);
    EXPECT_NE(list.out.find("LongDateFormat\tyyyy'年'm'月'd'日'\n"), std::string::npos);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"settings", "set", "Minute", "300"},
                                               {"settings", "set", "SystemBools", "01"},
                                               {"settings", "get", "NoSuchSetting"}}) {
        const auto r = Ctl(bad);
        EXPECT_EQ(r.status, 1) << bad[2];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_EQ(Ctl({"settings", "get", "Minute"}).out, "45\n");
}

TEST_F(MuraltoctlTest, GroupsKeepTheirOwnSettingsAndData) {
    ASSERT_EQ(Ctl({"group", "add", "Work", "me", "office"}).status, 0);
    EXPECT_EQ(Ctl({"group", "list"}).out, "Default\t" +
                                              std::string(getenv("USER") ? getenv("USER") : "") +
                                              "\t\t*\nWork\tme\toffice\t\n");
    ASSERT_EQ(Ctl({"settings", "set", "Hour", "3", "--group", "Work"}).status, 0);
    EXPECT_EQ(Ctl({"settings", "get", "Hour"}).out, "0\n");
    EXPECT_EQ(Ctl({"--group", "Work", "settings", "get", "Hour"}).out, "3\n");
    const std::string a = Picture("a.bmp");
    ASSERT_EQ(Ctl({"buffer", "add", a, "--group", "Work"}).status, 0);
    EXPECT_EQ(Ctl({"buffer", "list"}).out, "");
    ASSERT_EQ(Ctl({"group", "switch", "Work"}).status, 0);
    EXPECT_NE(Ctl({"buffer", "list"}).out.find(a), std::string::npos);
    ASSERT_EQ(Ctl({"group", "rename", "Work", "Job"}).status, 0);
    EXPECT_EQ(Ctl({"settings", "get", "Hour"}).out, "3\n");
    EXPECT_NE(Ctl({"buffer", "list"}).out.find(a), std::string::npos);

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"group", "add", "../x"},
                                               {"group", "add", "Job"},
                                               {"group", "switch", "Nobody"},
                                               {"group", "rename", "Job", "a/b"},
                                               {"settings", "list", "--group", "Nobody"}}) {
        const auto r = Ctl(bad);
        EXPECT_EQ(r.status, 1) << bad[2];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(home / "x"));
    ASSERT_EQ(Ctl({"group", "delete", "Job"}).status, 0);
    EXPECT_EQ(Ctl({"group", "list"}).out.find("Job"), std::string::npos);
    EXPECT_EQ(Ctl({"group", "delete", "Default"}).status, 1); // the last one stays
}

TEST_F(MuraltoctlTest, RegistryBackupAndRestore) {
    ASSERT_EQ(Ctl({"settings", "set", "Quality", "90"}).status, 0);
    ASSERT_EQ(Ctl({"registry", "export", home / "backup.reg"}).status, 0);
    const std::string backup = test::ReadFile(home / "backup.reg");
    EXPECT_EQ(backup.rfind("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Heliodor\\Muralto]", 0),
              0u);
    ASSERT_EQ(Ctl({"settings", "set", "Quality", "10"}).status, 0);
    ASSERT_EQ(Ctl({"registry", "import", home / "backup.reg"}).status, 0);
    EXPECT_EQ(Ctl({"settings", "get", "Quality"}).out, "90\n");
    test::WriteFile(home / "bad.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=dword:1\r\n");
    const auto bad = Ctl({"registry", "import", home / "bad.reg"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("line 3"), std::string::npos);
}

TEST_F(MuraltoctlTest, LoadReduceAndRenderForAVirtualDesktop) {
    const std::string photo = home / "photo.jpg";
    ASSERT_EQ(std::system(("convert -size 800x600 plasma:fractal -seed 5 -quality 90 '" + photo +
                           "' 2>/dev/null")
                              .c_str()),
              0);
    ASSERT_EQ(Ctl({"load", photo, "-o", home / "loaded.png"}).status, 0);
    EXPECT_EQ(test::ReadFile(home / "loaded.png").substr(1, 3), "PNG");
    const auto missing = Ctl({"load", home / "nope.jpg", "-o", home / "x.bmp"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing:"), std::string::npos);
    test::WriteFile(home / "bad.jpg", "\xFF\xD8 not really");
    const auto bad = Ctl({"load", home / "bad.jpg", "-o", home / "x.bmp"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("unreadable:"), std::string::npos);

    ASSERT_EQ(Ctl({"reduce", photo, "-o", home / "reduced.bmp"}).status, 0);
    MTBitmap* reduced = nullptr;
    const std::string bytes = test::ReadFile(home / "reduced.bmp");
    ASSERT_EQ(
        mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &reduced),
        MT_OK);
    EXPECT_EQ(mtgdi_format(reduced), MT_PF8);
    uint32_t coloursUsed = 0; // the header's colour count
    std::memcpy(&coloursUsed, bytes.data() + 46, 4);
    EXPECT_GE(coloursUsed, 2u);
    EXPECT_LE(coloursUsed, 236u);
    mtgdi_free(reduced);

    // "Resize / Center", aspect kept: 800 x 600 into 400 x 200 is 266 x 200, centred.
    ASSERT_EQ(Ctl({"buffer", "add", photo}).status, 0);
    ASSERT_EQ(Ctl({"buffer", "set", photo, "show=2", "resize=2"}).status, 0);
    ASSERT_EQ(
        Ctl({"render", photo, "-o", home / "wall.bmp", "--screen", "400x200", "--png"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(home / "wall.png"));
    const std::string wall = test::ReadFile(home / "wall.bmp");
    MTBitmap* w = nullptr;
    ASSERT_EQ(mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(wall.data()), wall.size(), &w),
              MT_OK);
    EXPECT_EQ(mtgdi_width(w), 400);
    EXPECT_EQ(mtgdi_height(w), 200);
    EXPECT_EQ(mtgdi_get_pixel(w, 60, 100), 0x3A6EA5u); // the desktop colour beside it
    EXPECT_NE(mtgdi_get_pixel(w, 200, 100), 0x3A6EA5u);
    mtgdi_free(w);
    EXPECT_EQ(Ctl({"render", photo, "-o", home / "w2.bmp", "--screen", "big"}).status, 1);
    EXPECT_EQ(Ctl({"buffer", "set", photo, "show=9"}).status, 1);
}

TEST_F(MuraltoctlTest, LoadThroughOneChosenPlugin) {
    const std::string png = home / "logo.png";
    ASSERT_EQ(
        std::system(("convert -size 40x30 gradient:red-blue '" + png + "' 2>/dev/null").c_str()),
        0);
    const auto listed = Ctl({"plugins"});
    ASSERT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("ifpng.spi\t00IN\t"), std::string::npos) << listed.out;
    EXPECT_EQ(Ctl({"load", png, "-o", home / "a.bmp", "--plugin", "ifpng"}).status, 0);
    EXPECT_EQ(Ctl({"load", png, "-o", home / "b.bmp", "--plugin", "ifpng.spi"}).status, 0);
    EXPECT_EQ(test::ReadFile(home / "a.bmp"), test::ReadFile(home / "b.bmp"));
    const auto wrong = Ctl({"load", png, "-o", home / "c.bmp", "--plugin", "ifgif"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("unreadable:"), std::string::npos) << wrong.err;
    EXPECT_FALSE(std::filesystem::exists(home / "c.bmp"));
    const auto unknown = Ctl({"load", png, "-o", home / "c.bmp", "--plugin", "ifnone"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no loaded plug-in named ifnone"), std::string::npos);
}

// One change by the program, as a user starts it, from a picture read through our plug-ins.
TEST_F(MuraltoctlTest, ChangeFromWebpHeicAndJpegXlRunsSerially) {
    for (const std::string made :
         {"convert -size 64x48 xc:#3366CC -define webp:lossless=true PIC.webp",
          "convert -size 64x48 xc:#3366CC -quality 60 PIC.heic",
          "convert -size 64x48 xc:#3366CC PIC.png && cjxl -d 0 PIC.png PIC.jxl"}) {
        const std::string picture = home / ("solid" + made.substr(made.rfind('.')));
        std::string command = made;
        for (size_t at; (at = command.find("PIC")) != std::string::npos;)
            command.replace(at, 3, home / "solid");
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
        std::filesystem::remove(home / "Wallpaper.bmp");
        ASSERT_EQ(Ctl({"buffer", "add", picture}).out, "1 added\n");
        const auto change =
            // The server picks its own free display number and writes it once it is ready.
            RunProgram(
                "/bin/sh",
                {"-c",
                 "Xvfb -displayfd 1 -nolisten tcp -screen 0 320x240x24 >\"$MURALTO_HOME/d\" "
                 "2>/dev/null & server=$!\n"
                 "while ! grep -q . \"$MURALTO_HOME/d\"; do kill -0 $server || exit 9; sleep 0.05; "
                 "done\n"
                 "export DISPLAY=:$(cat \"$MURALTO_HOME/d\"); \"$0\" /E /C /NS /DA; status=$?\n"
                 "kill $server; exit $status",
                 std::string(MURALTO_PROGRAM_DIR) + "/muralto"},
                {"MURALTO_HOME=" + home.Path(), "MURALTO_REGISTRY=" + home / "registry.db"});
        ASSERT_EQ(change.status, 0) << picture << change.err;
        const BitmapPtr wall = test::ReadBmpFile(home / "Wallpaper.bmp");
        ASSERT_TRUE(wall) << picture;
        const MTBitmap* w = wall.get();
        EXPECT_EQ(mtgdi_width(w), 320) << change.err;
        const uint32_t centre = mtgdi_get_pixel(w, 160, 120);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int((centre >> shift) & 255), int((0x3366CCu >> shift) & 255), 4)
                << picture;
        ASSERT_EQ(Ctl({"buffer", "remove", picture}).status, 0);
    }
}

TEST_F(MuraltoctlTest, DamagedSettingsDatabaseIsReportedAndKept) {
    test::WriteFile(home / "registry.db", std::string(4096, 'x'));
    const auto r = Ctl({"settings", "list"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(home / "registry.db"), std::string::npos);
    EXPECT_EQ(test::ReadFile(home / "registry.db"), std::string(4096, 'x'));
}

} // namespace
} // namespace muralto

namespace muralto {
namespace {

class MuraltoctlPatterns : public MuraltoctlTest {};

TEST_F(MuraltoctlPatterns, AddListRemoveAndTheirErrors) {
    EXPECT_EQ(Ctl({"patterns", "add", "date", "Stamp", "parts=ymd", "separator=-"}).out, "Stamp\n");
    EXPECT_EQ(Ctl({"patterns", "add", "date"}).out, "西暦描画ﾊﾟﾀｰﾝ 1\n");
    EXPECT_EQ(Ctl({"patterns", "add", "calendar", "Cal", "type=strip", "today=0xFF"}).status, 0);
    const auto taken = Ctl({"patterns", "add", "date", "Stamp"});
    EXPECT_EQ(taken.status, 1);
    EXPECT_NE(taken.err.find("既に同名の設定が登録されています。"), std::string::npos);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"patterns", "add", "date", "X", "size=big"},
                                               {"patterns", "add", "date", "X", "nokey=1"},
                                               {"patterns", "add", "date", "X", "alpha=300"},
                                               {"patterns", "add", "date", "X", "marginx=1e9"},
                                               {"patterns", "add", "weather"},
                                               {"patterns", "list", "weather"},
                                               {"patterns", "remove", "date", "Nope"}}) {
        const auto r = Ctl(bad);
        EXPECT_EQ(r.status, 1) << bad.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_EQ(Ctl({"patterns", "list"}).out, "calendar\tCal\ndate\tStamp\ndate\t西暦描画ﾊﾟﾀｰﾝ 1\n");
    EXPECT_EQ(Ctl({"patterns", "remove", "date", "西暦描画ﾊﾟﾀｰﾝ 1"}).status, 0);
    EXPECT_EQ(Ctl({"patterns", "list", "date"}).out, "date\tStamp\n");
}

TEST_F(MuraltoctlPatterns, FormatDateAndHolidays) {
    EXPECT_EQ(Ctl({"format-date", "yyyy-mm-dd gg e", "--at", "2019-05-01 09:00:00"}).out,
              "2019-05-01 令和 1\n");
    EXPECT_EQ(Ctl({"--at", "1989-01-07", "format-date", "gg e'年' hh:nn"}).out,
              "昭和 64年 00:00\n");
    EXPECT_EQ(Ctl({"format-date", "d", "--at", "2026-02-30"}).status, 1);
    const auto holidays = Ctl({"holidays", "2026"});
    EXPECT_EQ(holidays.status, 0);
    EXPECT_EQ(holidays.out.rfind("101\n112\n211\n", 0), 0u);
    EXPECT_NE(holidays.out.find("\n922\n"), std::string::npos);
    EXPECT_NE(Ctl({"holidays", "2026", "--names"}).out.find("506\t2026-05-06\t振替休日\n"),
              std::string::npos);
    EXPECT_EQ(Ctl({"holidays", "1900"}).status, 1);
}

TEST_F(MuraltoctlPatterns, RenderAndDrawAreReproducibleWithAt) {
    const std::string photo = Picture("pics/a.bmp", 0x203040);
    ASSERT_EQ(
        Ctl({"patterns", "add", "date", "Stamp", "parts=ymd", "size=40", "position=2"}).status, 0);
    ASSERT_EQ(Ctl({"buffer", "add", photo}).status, 0);
    auto render = [&](const std::string& at, const std::string& out) {
        const auto r = Ctl({"render", photo, "-o", home / out, "--screen", "640x480", "--at", at});
        EXPECT_EQ(r.status, 0) << r.err;
        return test::ReadFile(home / out);
    };
    const std::string plain = render("2026-03-09 10:00:00", "plain.bmp");
    ASSERT_EQ(Ctl({"buffer", "set", photo, "date=1", "datepattern=Stamp"}).status, 0);
    const std::string first = render("2026-03-09 10:00:00", "first.bmp");
    EXPECT_NE(first, plain);
    EXPECT_EQ(render("2026-03-09 23:00:00", "again.bmp"), first); // only the date is drawn
    EXPECT_NE(render("2026-03-10 10:00:00", "next.bmp"), first);

    const auto drawn = Ctl({"draw", "date", "Stamp", "-o", home / "stamp.png", "--screen",
                            "320x200", "--at", "2026-03-09"});
    EXPECT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(test::ReadFile(home / "stamp.png").substr(1, 3), "PNG");
    EXPECT_EQ(Ctl({"draw", "date", "Nope", "-o", home / "x.png"}).status, 1);
}

} // namespace
} // namespace muralto

namespace muralto {
namespace {

TEST_F(MuraltoctlPatterns, EffectsListedRunAndPatterned) {
    const auto listed = Ctl({"effects"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 4 + 32);
    EXPECT_NE(listed.out.find("effect\tセピア\tSEPIA\t"), std::string::npos);
    EXPECT_NE(listed.out.find("library\tRotate Library Ver1.0"), std::string::npos);

    const std::string photo = Picture("pics/a.bmp", 0x102030);
    ASSERT_EQ(Ctl({"effect", "ネガポジ反転", photo, "-o", home / "negative.bmp"}).status, 0);
    BitmapPtr negative = test::ReadBmpFile(home / "negative.bmp");
    ASSERT_TRUE(negative);
    EXPECT_EQ(mtgdi_get_pixel(negative.get(), 0, 0), 0xEFDFCFu);
    EXPECT_EQ(Ctl({"effect", "no such", photo, "-o", home / "x.bmp"}).status, 1);
    EXPECT_EQ(Ctl({"effect", "セピア", home / "missing.bmp", "-o", home / "x.bmp"}).status, 1);

    EXPECT_EQ(
        Ctl({"patterns", "add", "effect", "Twice", "effect=ネガポジ反転", "effect=rgb -> brg"}).out,
        "Twice\n");
    EXPECT_EQ(Ctl({"patterns", "add", "effect", "Bad", "effect=ないもの"}).status, 1);
    EXPECT_EQ(Ctl({"patterns", "list", "effect"}).out, "effect\tTwice\n");
    ASSERT_EQ(Ctl({"effect", "--pattern", "Twice", photo, "-o", home / "p.bmp"}).status, 0);
    BitmapPtr patterned = test::ReadBmpFile(home / "p.bmp");
    EXPECT_EQ(mtgdi_get_pixel(patterned.get(), 0, 0), 0xCFEFDFu); // inverted, then B R G

    // The change pipeline runs the pattern a picture names.
    ASSERT_EQ(Ctl({"buffer", "add", photo}).status, 0);
    ASSERT_EQ(Ctl({"render", photo, "-o", home / "plain.bmp", "--screen", "8x6"}).status, 0);
    ASSERT_EQ(Ctl({"buffer", "set", photo, "effect=2", "effectpattern=Twice"}).status, 0);
    ASSERT_EQ(Ctl({"render", photo, "-o", home / "fx.bmp", "--screen", "8x6"}).status, 0);
    BitmapPtr rendered = test::ReadBmpFile(home / "fx.bmp");
    ASSERT_TRUE(rendered);
    EXPECT_EQ(mtgdi_get_pixel(rendered.get(), 4, 3), 0xCFEFDFu);
}

} // namespace
} // namespace muralto

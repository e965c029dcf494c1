#include "TestSupport.h"

#include "platform/mtgdi/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    auto added = Ctl({"buffer", "add", home / "pics"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "2 added\n");

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

} // namespace
} // namespace muralto

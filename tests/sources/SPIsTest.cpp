// The plug-in host with our PNG plug-in and a test plug-in of its own.
#include "sources/SPIs.h"

#include "TestSupport.h"
#include "compose/MWGraphic.h"
#include "sources/LibInfodlg.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>

namespace muralto {
namespace {

namespace fs = std::filesystem;

class SPIsTest : public test::ProgramTest {
protected:
    void SetUp() override {
        test::ProgramTest::SetUp();
        fs::create_directories(home / "plugins");
        fs::create_directories(home / "more");
        fs::copy_file(MURALTO_TEST_PLUGIN, home / "plugins/test.spi");
        for (const char* plugin :
             {"ifpng.spi", "ifgif.spi", "ifwebp.spi", "iftiff.spi", "ifheif.spi", "ifjxl.spi"})
            fs::copy_file(std::string(MURALTO_PROGRAM_DIR) + "/" + plugin,
                          home / (std::string("plugins/") + plugin));
        host = std::make_unique<TSPIs>();
        host->SearchOptions = 0;
        host->OnPictureRegister = SPIs1PictureRegister;
    }
    void TearDown() override {
        host.reset();
        test::ProgramTest::TearDown();
    }
    uint8_t Load(const std::string& path, BitmapPtr& bitmap) {
        TGraphicServer server;
        const uint8_t rc = server.LoadPicture(path, bitmap);
        if (bitmap)
            server.ToBits24(bitmap);
        return rc;
    }
    // A reference bitmap made by another tool, as 24 bits; empty when unreadable.
    static BitmapPtr ReadBmp24(const std::string& path) {
        const BitmapPtr read = test::ReadBmpFile(path);
        return read ? BitmapPtr(mtgdi_convert(read.get(), MT_PF24)) : nullptr;
    }
    std::unique_ptr<TSPIs> host;
};

TEST_F(SPIsTest, RegistersAnnouncedFormatsButNeverJpeg) {
    host->LoadPlugins(home / "plugins/*.spi");
    ASSERT_EQ(host->Count(), 7);
    const std::string mask = TGraphicServer::FormatMask();
    EXPECT_NE(mask.find("*.mag"), std::string::npos);
    EXPECT_NE(mask.find("*.png"), std::string::npos);
    EXPECT_NE(mask.find("*.jxl"), std::string::npos);
    EXPECT_NE(mask.find("*.avif"), std::string::npos);
    // JPG stays with the built-in reader: the one entry is the built-in one.
    for (const std::string jpeg : {"*.jpg;", "*.jpeg;"})
        EXPECT_EQ(mask.find(jpeg), mask.rfind(jpeg)) << mask;
    EXPECT_THROW(TSPIs(), ESPIDupCreateSPIs);
}

TEST_F(SPIsTest, WindowListsEachLoadedPluginsDescription) {
    host->LoadPlugins(home / "plugins/*.spi");
    const QStringList lines = SusiePluginLines();
    ASSERT_EQ(lines.size(), host->Count());
    EXPECT_TRUE(lines.contains("PNG import plug-in of Muralto (libpng)"))
        << lines.join('|').toStdString();
    const TLibInfo window(nullptr, "読み込んだSusie Plug-in", lines);
    EXPECT_EQ(window.windowTitle(), QString("読み込んだSusie Plug-in"));
    EXPECT_EQ(window.Lines(), lines);
}

TEST_F(SPIsTest, ProgressIsReportedAndCanStopTheReading) {
    host->LoadPlugins(home / "plugins/*.spi");
    const std::string png = home / "p.png";
    ASSERT_EQ(std::system(("convert -size 8x6 xc:red '" + png + "'").c_str()), 0);
    std::vector<int> seen;
    const SpiProgress record = [&](int percent) {
        seen.push_back(percent);
        return false;
    };
    BitmapPtr bitmap;
    std::string why;
    ASSERT_EQ(ReadThroughPlugins(png, bitmap, why, nullptr, &record), 0) << why;
    EXPECT_TRUE(bitmap);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 99, 100}));
    for (int stopAt : {0, 1}) {
        const SpiProgress stop = [&](int percent) { return percent == stopAt; };
        bitmap.reset();
        EXPECT_NE(ReadThroughPlugins(png, bitmap, why, nullptr, &stop), 0) << stopAt;
        EXPECT_FALSE(bitmap) << stopAt;
        EXPECT_EQ(why, "stopped");
    }
}

TEST_F(SPIsTest, SamePluginTwiceIsLoadedOnceAndBrokenOnesAreSkipped) {
    fs::create_symlink(home / "plugins/test.spi", home / "plugins/again.spi");
    test::WriteFile(home / "plugins/broken.spi", "\x7f"
                                                 "ELF but not really");
    fs::create_symlink("/bin/true", home / "plugins/outside.spi"); // leads out of the folder
    host->LoadPlugins(home / "plugins/*.spi");
    host->LoadPlugins(home / "plugins/*.SPI");
    EXPECT_EQ(host->Count(), 7);
}

TEST_F(SPIsTest, ShortFilesArePaddedAndPrefixesRetried) {
    host->LoadPlugins(home / "plugins/*.spi");
    void* self = dlopen((home / "plugins/test.spi").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(self, nullptr);
    auto length = reinterpret_cast<intptr_t (*)()>(dlsym(self, "TestLastLength"));
    auto padding = reinterpret_cast<int (*)()>(dlsym(self, "TestLastPadding"));

    test::WriteFile(home / "short.mag", "MAG!" + std::string(96, 'x')); // 100 bytes
    BitmapPtr b;
    ASSERT_EQ(Load(home / "short.mag", b), lrLoaded);
    EXPECT_EQ(length(), 100);
    EXPECT_EQ(padding(), 2048 - 100);
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 0, 0), 0xFF0000u);
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 1, 0), 0x0000FFu);

    test::WriteFile(home / "prefixed.mag", std::string(128, 'p') + "MAG!" + std::string(10, 'x'));
    ASSERT_EQ(Load(home / "prefixed.mag", b), lrLoaded);
    EXPECT_EQ(length(), 14);
    dlclose(self);
}

TEST_F(SPIsTest, GarbageFromAPluginIsUnreadable) {
    host->LoadPlugins(home / "plugins/*.spi");
    BitmapPtr b;
    for (const char* answer : {"GARBAGE", "GARBAGEn", "GARBAGEb", "GARBAGEh", "GARBAGEw"}) {
        test::WriteFile(home / "bad.mag", std::string(answer) + std::string(200, '\0'));
        EXPECT_EQ(Load(home / "bad.mag", b), lrUnreadable) << answer;
    }
    test::WriteFile(home / "other.mag", "nothing a plug-in knows");
    EXPECT_EQ(Load(home / "other.mag", b), lrUnreadable);
}

TEST_F(SPIsTest, PluginFormatsLoadAsImageMagickDecodesThem) {
    host->LoadPlugins(home / "plugins/*.spi");
    ASSERT_EQ(std::system(("convert -size 64x48 plasma:fractal -seed 9 '" + home / "src.ppm" +
                           "' 2>/dev/null")
                              .c_str()),
              0);
    const struct {
        const char* name;
        const char* options;
    } variants[] = {
        {"rgb.png", ""},
        {"palette.png", "-colors 40 PNG8:"},
        {"deep.png", "-depth 16 PNG48:"},
        {"interlaced.png", "-interlace PNG "},
        {"grey-alpha.png", "-colorspace Gray -alpha set -channel A -fx 0.5 +channel PNG32:"},
        {"transparent.png", "-alpha set -channel A -fx 'i<32?0:1' +channel PNG32:"},
        {"plain.gif", "-depth 8 GIF:"},
        {"interlaced.gif", "-depth 8 -interlace GIF GIF:"},
        {"transparent.gif", "-depth 8 -alpha set -channel A -fx 'i<32?0:1' +channel GIF:"},
        {"lossless.webp", "-depth 8 -define webp:lossless=true WEBP:"},
        {"strips.tif", "-depth 8 TIFF:"},
        {"deep.tif", "-depth 16 TIFF:"},
        {"cmyk.tif", "-depth 8 -colorspace CMYK TIFF:"},
        {"deep-cmyk.tif", "-depth 16 -colorspace CMYK TIFF:"},
        {"bilevel.tif", "-monochrome TIFF:"},
        {"tiled.tif", "-depth 8 -compress Zip -define tiff:tile-geometry=16x16 TIFF:"},
        {"alpha.webp", "-depth 8 -define webp:lossless=true -alpha set -channel A -fx 0.5 "
                       "+channel WEBP:"},
    };
    for (const auto& v : variants) {
        const std::string path = home / v.name;
        const std::string options = v.options;
        const std::string out = options.find(':') != std::string::npos
                                    ? options + "'" + path + "'"
                                    : options + " '" + path + "'";
        ASSERT_EQ(
            std::system(("convert '" + home / "src.ppm" + "' " + out + " 2>/dev/null").c_str()), 0)
            << v.name;
        BitmapPtr ours;
        ASSERT_EQ(Load(path, ours), lrLoaded) << v.name;
        ASSERT_EQ(std::system(("convert '" + path + "' -background white -flatten BMP3:'" +
                               home / "ref.bmp" + "' 2>/dev/null")
                                  .c_str()),
                  0);
        BitmapPtr ref = ReadBmp24(home / "ref.bmp");
        ASSERT_TRUE(ref) << "the reference could not be read";
        long off = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const uint32_t a = mtgdi_get_pixel(ours.get(), x, y),
                               b = mtgdi_get_pixel(ref.get(), x, y);
                for (int s = 0; s < 24; s += 8)
                    off += std::abs(int((a >> s) & 255) - int((b >> s) & 255)) > 1;
            }
        EXPECT_EQ(off, 0) << v.name;
    }
}

// HEIF, AVIF and JPEG XL against their formats' own decoders: ImageMagick widens the halved
// colour planes of HEIF with a filter of its own, and may not read JPEG XL at all.
TEST_F(SPIsTest, NewerFormatsLoadAsTheirOwnDecodersDo) {
    host->LoadPlugins(home / "plugins/*.spi");
    ASSERT_EQ(std::system(("convert -seed 4 -size 40x30 plasma:fractal -depth 8 '" +
                           home / "src.png" + "' 2>/dev/null")
                              .c_str()),
              0);
    const struct {
        const char* name;
        const char* make; // SRC and OUT stand for the files
        const char* decode;
    } formats[] = {
        {"photo.heic", "convert SRC HEIC:OUT", "heif-convert OUT REF.png"},
        {"photo.avif", "convert SRC AVIF:OUT", "heif-convert OUT REF.png"},
        {"lossless.jxl", "cjxl -d 0 SRC OUT", "djxl OUT REF.png"},
        {"lossy.jxl", "cjxl -d 1.5 SRC OUT", "djxl OUT REF.png"},
    };
    for (const auto& f : formats) {
        std::string command =
            std::string(f.make) + " && " + f.decode + " && convert REF.png BMP3:REF.bmp";
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"SRC", home / "src.png"},
                                       {"OUT", home / f.name},
                                       {"REF", home / "ref"}})
            for (size_t at; (at = command.find(from)) != std::string::npos;)
                command.replace(at, from.size(), "'" + to + "'");
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
        BitmapPtr ours;
        ASSERT_EQ(Load(home / f.name, ours), lrLoaded) << f.name;
        BitmapPtr ref = ReadBmp24(home / "ref.bmp");
        ASSERT_TRUE(ref) << "the reference could not be read";
        ASSERT_EQ(mtgdi_width(ours.get()), 40) << f.name;
        ASSERT_EQ(mtgdi_height(ours.get()), 30) << f.name;
        int off = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                off += mtgdi_get_pixel(ours.get(), x, y) != mtgdi_get_pixel(ref.get(), x, y);
        EXPECT_EQ(off, 0) << f.name;
    }
}

} // namespace
} // namespace muralto

// The picture service: readers checked against other tools' decoding of the same files,
// and the resize, placement, composition and colour rules as tables.
#include "compose/MWGraphic.h"

#include "TestSupport.h"
#include "compose/JpegCodec.h"
#include "compose/LayList.h"
#include "core/CmdParam.h"
#include "platform/Files.h"
#include "platform/Services.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace muralto {
namespace {

using test::ReadBmpFile;

// Pixels that differ between two pictures of the same size (-1 for another size).
long Differences(const MTBitmap* a, const MTBitmap* b, int tolerance = 0) {
    if (mtgdi_width(a) != mtgdi_width(b) || mtgdi_height(a) != mtgdi_height(b))
        return -1;
    long n = 0;
    for (int y = 0; y < mtgdi_height(a); ++y)
        for (int x = 0; x < mtgdi_width(a); ++x) {
            const uint32_t p = mtgdi_get_pixel(a, x, y), q = mtgdi_get_pixel(b, x, y);
            for (int s = 0; s < 24; s += 8)
                if (std::abs(int((p >> s) & 255) - int((q >> s) & 255)) > tolerance) {
                    ++n;
                    break;
                }
        }
    return n;
}

class MWGraphicTest : public test::ProgramTest {
protected:
    void SetUp() override {
        test::ProgramTest::SetUp();
        Setting() = TSetting(TSetting::WithDefaults{});
        Platform().desktop =
            std::make_unique<VirtualDesktop>(DesktopGeometry{{200, 100}, {0, 0, 200, 100}, 24});
        DeskTop().SetCalculation(ctScreen);
        // A photo-like source picture for the readers.
        ASSERT_EQ(Run("convert -size 96x64 plasma:fractal -seed 7 '" + home / "photo.ppm" + "'"),
                  0);
    }
    int Run(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }
    BitmapPtr Load(const std::string& path, uint8_t expected = lrLoaded) {
        BitmapPtr b;
        EXPECT_EQ(server.LoadPicture(path, b), expected) << path << ": " << server.LastError();
        if (b)
            server.ToBits24(b);
        return b;
    }
    // What ImageMagick decodes a file to, as a 24-bit bitmap.
    BitmapPtr Reference(const std::string& path) {
        EXPECT_EQ(Run("convert '" + path + "' -alpha off BMP3:'" + home / "ref.bmp" + "'"), 0);
        BitmapPtr b = ReadBmpFile(home / "ref.bmp");
        server.ToBits24(b);
        return b;
    }
    static BitmapPtr Solid(int w, int h, uint32_t rgb) {
        return SolidBitmap(w, h, MT_PF24, RgbToColor(rgb));
    }
    TGraphicServer server;
};

TEST_F(MWGraphicTest, BitmapVariantsOfOtherToolsLoadToTheSamePixels) {
    const struct {
        const char* name;
        const char* options;
    } variants[] = {
        {"bmp3-24.bmp", "BMP3:"},
        {"bmp3-8.bmp", "-colors 60 -type palette BMP3:"},
        {"bmp3-rle8.bmp", "-colors 60 -type palette -compress RLE BMP3:"},
        {"bmp2-os2.bmp", "BMP2:"},
        {"bmp5-32.bmp", "-alpha set -define bmp:format=bmp4 BMP:"},
        {"bmp-565.bmp", "-define bmp:subtype=RGB565 BMP:"},
        {"bmp-1bit.bmp", "-monochrome BMP3:"},
    };
    for (const auto& v : variants) {
        const std::string path = home / v.name;
        ASSERT_EQ(Run(std::string("convert '") + home / "photo.ppm" + "' " + v.options + "'" +
                      path + "'"),
                  0)
            << v.name;
        BitmapPtr ours = Load(path);
        ASSERT_TRUE(ours) << v.name;
        // 5-6-5 loses low bits differently in each tool's expansion.
        const int tolerance = std::string(v.name) == "bmp-565.bmp" ? 8 : 0;
        EXPECT_EQ(Differences(ours.get(), Reference(path).get(), tolerance), 0) << v.name;
    }
}

TEST_F(MWGraphicTest, JpegLoadsAsDjpegDecodesIt) {
    const std::string jpg = home / "photo.jpg", progressive = home / "progressive.jpg",
                      grey = home / "grey.jpg";
    ASSERT_EQ(Run("cjpeg -quality 85 -outfile '" + jpg + "' '" + home / "photo.ppm" + "'"), 0);
    ASSERT_EQ(Run("cjpeg -progressive -outfile '" + progressive + "' '" + home / "photo.ppm" + "'"),
              0);
    ASSERT_EQ(Run("cjpeg -grayscale -outfile '" + grey + "' '" + home / "photo.ppm" + "'"), 0);
    for (const std::string& file : {jpg, progressive, grey}) {
        ASSERT_EQ(Run("djpeg -bmp -outfile '" + home / "djpeg.bmp" + "' '" + file + "'"), 0);
        BitmapPtr reference = ReadBmpFile(home / "djpeg.bmp");
        server.ToBits24(reference);
        EXPECT_EQ(Differences(Load(file).get(), reference.get()), 0) << file;
    }
    // Ink colours: as ImageMagick sees them, within rounding.
    const std::string cmyk = home / "cmyk.jpg";
    ASSERT_EQ(Run("convert '" + home / "photo.ppm" + "' -colorspace CMYK '" + cmyk + "'"), 0);
    EXPECT_LT(Differences(Load(cmyk).get(), Reference(cmyk).get(), 12), 96 * 64 / 50);
}

// A photo taken upright on a phone is stored sideways with an orientation tag.
TEST_F(MWGraphicTest, JpegIsTurnedUprightByItsOrientation) {
    const std::string plain = home / "plain.jpg", tagged = home / "tagged.jpg";
    ASSERT_EQ(Run("cjpeg -quality 90 -outfile '" + plain + "' '" + home / "photo.ppm" + "'"), 0);
    // An EXIF block (big-endian TIFF) whose only entry says: rotate 90 degrees clockwise.
    const std::string exif("\xFF\xE1\x00\x22"
                           "Exif\0\0"
                           "MM\x00\x2A\x00\x00\x00\x08"
                           "\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"
                           "\x00\x00\x00\x00",
                           36);
    const std::string bytes = test::ReadFile(plain);
    test::WriteFile(tagged, bytes.substr(0, 2) + exif + bytes.substr(2));
    const std::string tagBytes = test::ReadFile(tagged);
    ASSERT_EQ(JpegOrientation(reinterpret_cast<const uint8_t*>(tagBytes.data()), tagBytes.size()),
              6);
    ASSERT_EQ(Run("djpeg -bmp -outfile '" + home / "flat.bmp" + "' '" + plain + "'"), 0);
    ASSERT_EQ(
        Run("convert '" + home / "flat.bmp" + "' -rotate 90 BMP3:'" + home / "upright.bmp" + "'"),
        0);
    BitmapPtr ours = Load(tagged);
    EXPECT_EQ(mtgdi_width(ours.get()), 64);
    EXPECT_EQ(mtgdi_height(ours.get()), 96);
    EXPECT_EQ(Differences(ours.get(), ReadBmpFile(home / "upright.bmp").get()), 0);
}

TEST_F(MWGraphicTest, IconGivesItsLargestImage) {
    const std::string ico = home / "app.ico";
    ASSERT_EQ(
        Run("convert '" + home / "photo.ppm" + "' -define icon:auto-resize=16,32,48 '" + ico + "'"),
        0);
    BitmapPtr icon = Load(ico);
    ASSERT_TRUE(icon);
    EXPECT_EQ(mtgdi_width(icon.get()), 48);
    EXPECT_EQ(mtgdi_height(icon.get()), 48);
    EXPECT_EQ(mtgdi_format(icon.get()), MT_PF24);
}

TEST_F(MWGraphicTest, LoadAnswersTheDesignedCodes) {
    test::WriteFile(home / "notes.txt", "text");
    test::WriteFile(home / "cut.bmp", test::ReadFile(home / "photo.ppm").substr(0, 20));
    test::WriteFile(home / "empty.jpg", "");
    // A header that promises 60000 x 60000 pixels.
    std::string bomb =
        "\xFF\xD8\xFF\xC0\x00\x11\x08\xEA\x60\xEA\x60\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01";
    test::WriteFile(home / "bomb.jpg", bomb + std::string(64, '\0'));
    const struct {
        std::string path;
        uint8_t result;
    } cases[] = {{home / "missing.bmp", lrMissing},  {"", lrMissing},
                 {home / "notes.txt", lrUnreadable}, {home / "cut.bmp", lrUnreadable},
                 {home / "empty.jpg", lrUnreadable}, {home / "bomb.jpg", lrUnreadable}};
    for (const auto& c : cases) {
        BitmapPtr b;
        EXPECT_EQ(server.LoadPicture(c.path, b), c.result) << c.path;
        EXPECT_FALSE(b) << c.path;
    }
}

TEST_F(MWGraphicTest, ReductionEqualsTheCodecRoundTrip) {
    ASSERT_EQ(Run("convert '" + home / "photo.ppm" + "' BMP3:'" + home / "in.bmp" + "'"), 0);
    ASSERT_EQ(Run("cjpeg -quality 100 '" + home / "in.bmp" + "' | djpeg -colors 236 -bmp > '" +
                  home / "ref8.bmp" + "'"),
              0);
    BitmapPtr picture = Load(home / "in.bmp");
    server.FinishForDisplay(picture, false);
    BitmapPtr reference = ReadBmpFile(home / "ref8.bmp");
    ASSERT_EQ(mtgdi_format(picture.get()), MT_PF8);
    ASSERT_EQ(mtgdi_format(reference.get()), MT_PF8);
    EXPECT_LE(mtgdi_palette_size(picture.get()), 236);
    long sameIndex = 0;
    for (int y = 0; y < 64; ++y)
        sameIndex += std::memcmp(mtgdi_scanline(picture.get(), y),
                                 mtgdi_scanline(reference.get(), y), 96) == 0;
    EXPECT_EQ(sameIndex, 64);
    EXPECT_EQ(Differences(picture.get(), reference.get()), 0);
}

TEST_F(MWGraphicTest, KeepAspectSizes) {
    const struct {
        int bw, bh, W, H, w, h;
    } cases[] = {
        {1024, 768, 1024, 768, 1024, 768}, {400, 300, 800, 600, 800, 600},
        {300, 400, 800, 600, 450, 600},    {2000, 500, 1024, 768, 1024, 256},
        {800, 300, 800, 600, 800, 300},    {2000, 1, 1024, 768, 1024, 1},
        {1, 3000, 1024, 768, 1, 768},      {1000, 600, 800, 600, 800, 480},
    };
    for (const auto& c : cases) {
        int w, h;
        TGraphicServer::KeepAspectSize(c.bw, c.bh, c.W, c.H, w, h);
        EXPECT_EQ(w, c.w) << c.bw << "x" << c.bh;
        EXPECT_EQ(h, c.h) << c.bw << "x" << c.bh;
    }
}

TEST_F(MWGraphicTest, ResizeStylesOnTheDesktop) {
    const struct {
        int style, bw, bh, w, h;
    } cases[] = {{1, 50, 50, 200, 100},
                 {2, 50, 50, 100, 100},
                 {3, 50, 50, 50, 50},
                 {3, 400, 100, 200, 50},
                 {9, 50, 50, 50, 50}};
    for (const auto& c : cases) {
        BitmapPtr b = Solid(c.bw, c.bh, 0x808080);
        server.ResizeForDesktop(b, c.style);
        EXPECT_EQ(mtgdi_width(b.get()), c.w) << c.style;
        EXPECT_EQ(mtgdi_height(b.get()), c.h) << c.style;
    }
    Setting().DefaultResizeStyle = 0; // a default of 0 resizes nothing
    BitmapPtr b = Solid(50, 50, 0);
    server.ResizeForDesktop(b, 0);
    EXPECT_EQ(mtgdi_width(b.get()), 50);
}

TEST_F(MWGraphicTest, FilteredShrinkAveragesInsteadOfAliasing) {
    // One-pixel stripes shrunk eightfold: grey, not stripes.
    BitmapPtr stripes(mtgdi_create(800, 8, MT_PF24));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 800; ++x)
            std::memset(mtgdi_scanline(stripes.get(), y) + 3 * x, x % 2 ? 255 : 0, 3);
    server.ScaleExact(stripes, 100, 1, 1);
    for (int x = 2; x < 98; ++x) {
        const int v = int(mtgdi_get_pixel(stripes.get(), x, 0) & 255);
        EXPECT_NEAR(v, 128, 3) << x;
    }
}

TEST_F(MWGraphicTest, PlacementOnTheScreen) {
    BitmapPtr tile = Solid(30, 40, 0x112233);
    server.TileToDesktop(tile);
    EXPECT_EQ(mtgdi_width(tile.get()), 200);
    EXPECT_EQ(mtgdi_get_pixel(tile.get(), 199, 99), 0x112233u);

    BitmapPtr centre = Solid(20, 10, 0xFFFFFF);
    server.CentreOnDesktop(centre, nullptr, RgbToColor(0x0000FF));
    EXPECT_EQ(mtgdi_get_pixel(centre.get(), 90, 45), 0xFFFFFFu);
    EXPECT_EQ(mtgdi_get_pixel(centre.get(), 89, 45), 0x0000FFu);
    EXPECT_EQ(mtgdi_get_pixel(centre.get(), 110, 45), 0x0000FFu);

    // A picture larger than the screen shows its middle.
    BitmapPtr large = Solid(400, 300, 0);
    FillRect(large.get(), 100, 100, 300, 200, RgbToColor(0x00FF00));
    server.CentreOnDesktop(large, nullptr, 0);
    EXPECT_EQ(mtgdi_get_pixel(large.get(), 0, 0), 0x00FF00u);
    EXPECT_EQ(mtgdi_get_pixel(large.get(), 199, 99), 0x00FF00u);
}

TEST_F(MWGraphicTest, WorkAreaKeepsThePictureClearOfTheTaskBar) {
    Platform().desktop = std::make_unique<VirtualDesktop>(
        DesktopGeometry{{200, 100}, {0, 20, 200, 100}, 24}); // a 20-pixel bar on top
    DeskTop().SetCalculation(ctWorkArea);
    BitmapPtr b = Solid(200, 80, 0xFFFFFF);
    server.CentreOnDesktop(b, nullptr, 0);
    server.AdjustForTaskBar(b);
    // Bar height is 20 - 2: the picture starts just below it.
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 100, 0), 0x3A6EA5u);
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 100, 50), 0xFFFFFFu);
    DeskTop().SetCalculation(ctScreen);
}

TEST_F(MWGraphicTest, LayerBlendingRules) {
    TLayerList list;
    TLayer& layer = list.Add();
    const struct {
        uint8_t alpha;
        uint32_t layer, key;
        uint32_t expected;
    } cases[] = {
        {0, 0x204060, 0xFFFFFF, 0x204060},   {255, 0x204060, 0xFFFFFF, 0x808080},
        {128, 0x000000, 0xFFFFFF, 0x404040}, // (128 * 128 + 127 * 0) / 255 = 64
        {0, 0xFFFFFF, 0xFFFFFF, 0x808080},   {0, 0xFFFFFE, 0xFFFFFF, 0xFFFFFE},
    };
    for (const auto& c : cases) {
        BitmapPtr target = Solid(4, 4, 0x808080);
        layer.Bitmap = Solid(2, 2, c.layer);
        layer.Alpha = c.alpha;
        layer.TransparentColor = c.key;
        layer.SetPosition(1, 1);
        layer.Draw(target);
        EXPECT_EQ(mtgdi_get_pixel(target.get(), 1, 1), c.expected) << int(c.alpha);
        EXPECT_EQ(mtgdi_get_pixel(target.get(), 0, 0), 0x808080u);
    }
    BitmapPtr target = Solid(4, 4, 0x808080);
    layer.Alpha = 0;
    layer.Bitmap = Solid(3, 3, 0x102030);
    layer.SetPosition(2, -1); // partly outside
    layer.Draw(target);
    EXPECT_EQ(mtgdi_get_pixel(target.get(), 3, 0), 0x102030u);
    EXPECT_EQ(mtgdi_get_pixel(target.get(), 1, 0), 0x808080u);
    layer.SetPosition(10, 10); // wholly outside
    layer.Draw(target);
    layer.SetAlpha(1, 50);
    EXPECT_EQ(layer.Alpha, 127);
    EXPECT_THROW(TLayer(nullptr), Exception);
}

TEST_F(MWGraphicTest, BrightnessAndContrast) {
    const struct {
        int brightness, contrast;
        uint8_t in, out;
    } cases[] = {{100, 0, 156, 255},  {100, 0, 155, 255}, {100, 0, 100, 200}, {0, -100, 0, 128},
                 {0, -100, 255, 128}, {0, 100, 200, 255}, {-20, 0, 10, 0},    {0, 0, 77, 77}};
    for (const auto& c : cases) {
        BitmapPtr b = Solid(1, 1, uint32_t(c.in) * 0x010101);
        AdjustBrightnessContrast(b, c.contrast, c.brightness);
        EXPECT_EQ(mtgdi_get_pixel(b.get(), 0, 0) & 255, c.out)
            << c.brightness << "/" << c.contrast << " on " << int(c.in);
    }
}

TEST_F(MWGraphicTest, ColourShowsThroughKeyAndMargins) {
    BitmapPtr picture = Solid(20, 10, 0x123456);
    FillRect(picture.get(), 0, 0, 5, 5, RgbToColor(0xFFFFFF));
    server.ComposeOverColour(picture, 1, RgbToColor(0xFF0000), RgbToColor(0xFFFFFF));
    EXPECT_EQ(mtgdi_width(picture.get()), 200);
    EXPECT_EQ(mtgdi_get_pixel(picture.get(), 0, 0), 0xFF0000u);   // margin
    EXPECT_EQ(mtgdi_get_pixel(picture.get(), 91, 46), 0xFF0000u); // the key inside
    EXPECT_EQ(mtgdi_get_pixel(picture.get(), 99, 50), 0x123456u);
    // With a key that never occurs the margins still show the colour.
    BitmapPtr other = Solid(20, 10, 0x123456);
    server.ComposeOverColour(other, 1, RgbToColor(0x00FF00), RgbToColor(0xABCDEF));
    EXPECT_EQ(mtgdi_get_pixel(other.get(), 5, 5), 0x00FF00u);

    BitmapPtr texture = Solid(7, 7, 0x0000FF);
    BitmapPtr keyed = Solid(20, 10, 0xFFFFFF);
    FillRect(keyed.get(), 10, 0, 20, 10, RgbToColor(0x111111));
    server.ComposeOverTexture(keyed, texture.get(), 1, RgbToColor(0xFFFFFF));
    EXPECT_EQ(mtgdi_get_pixel(keyed.get(), 92, 50), 0x0000FFu); // key shows the texture
    EXPECT_EQ(mtgdi_get_pixel(keyed.get(), 105, 50), 0x111111u);
    EXPECT_EQ(mtgdi_get_pixel(keyed.get(), 0, 0), 0x0000FFu);
}

} // namespace
} // namespace muralto

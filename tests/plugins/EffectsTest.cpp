#include "TestSupport.h"
#include "effects/EffectLib.h"
#include "platform/SharedLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

namespace muralto {
namespace {

using test::SamePixels;

// The delivered libraries of the program folder, loaded once for these tests.
TEffectLibrary& Delivered() {
    static TEffectLibrary library({MURALTO_PROGRAM_DIR "/"});
    return library;
}

BitmapPtr Make24(int w, int h, const std::vector<uint32_t>& rgb) {
    BitmapPtr image(mtgdi_create(w, h, MT_PF24));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = rgb[size_t(y * w + x) % rgb.size()];
            uint8_t* p = mtgdi_scanline(image.get(), y) + 3 * x;
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
        }
    return image;
}

// An indexed picture: its colour table and the index of every pixel, row by row.
BitmapPtr MakeIndexed(int format, int w, int h, const std::vector<uint32_t>& table,
                      const std::vector<int>& indices) {
    BitmapPtr image(mtgdi_create(w, h, format));
    mtgdi_set_palette_size(image.get(), int(table.size()));
    std::copy(table.begin(), table.end(), mtgdi_palette(image.get()));
    const int bits = mtgdi_bits_per_pixel(image.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int value = indices[size_t(y * w + x) % indices.size()];
            uint8_t* row = mtgdi_scanline(image.get(), y);
            const int bit = x * bits;
            row[bit / 8] |= uint8_t(value << (8 - bits - bit % 8));
        }
    return image;
}

int IndexAt(const MTBitmap* image, int x, int y) {
    const int bits = mtgdi_bits_per_pixel(image);
    const int bit = x * bits;
    return (mtgdi_scanline_const(image, y)[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
}

void Apply(const std::string& name, BitmapPtr& image) {
    ASSERT_GE(Delivered().IndexOfEffect(name), 0) << name;
    Delivered().RunEffectByName(name, image);
}

// ---------------------------------------------------------------- the information exports

TEST(EffectLibraries, PublishTheirTitlesAndTables) {
    const struct {
        const char* file;
        const char* title;
        int count;
        int results[5]; // GETLIBINFO of kinds 1, 3, 4, 5, 7
    } cases[] = {
        {"QXEFFECT.EGL", "Genuine Library Ver1.0", 13, {4, 4, 4, 4, 4}},
        {"BEVELFX.EGL", "3D Frame Library Ver1.0", 12, {-1, -1, -1, -1, -1}},
        {"ROTATE.EGL", "Rotate Library Ver1.0", 5, {4, 4, 4, 0, 0}},
        {"HUESWAP.EGL", "RGB Rotate Library Ver1.0", 2, {4, 4, 4, 0, 0}},
    };
    for (const auto& c : cases) {
        std::string why;
        auto module = SharedLibrary::Open(std::string(MURALTO_PROGRAM_DIR "/") + c.file, why);
        ASSERT_TRUE(module) << c.file << ": " << why;
        const auto info = reinterpret_cast<EglGetLibInfo>(module->Symbol("GETLIBINFO"));
        const auto exportOf = reinterpret_cast<EglIndexOfName>(module->Symbol("INDEXOFNAME"));
        ASSERT_TRUE(info && exportOf);
        EXPECT_EQ(info(0, nullptr, 0), 0);
        EXPECT_EQ(info(2, nullptr, 0), c.count);
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        info(1, buffer, 10);
        EXPECT_EQ(std::string(buffer, 11), std::string(c.title, 10) + '\0') << c.file;
        const int kinds[5] = {1, 3, 4, 5, 7};
        for (int i = 0; i < 5; ++i) {
            const int32_t got = info(kinds[i], buffer, 255);
            const int expected = c.results[i] >= 0 ? c.results[i] : int(std::strlen(buffer));
            if (kinds[i] - 2 <= c.count || kinds[i] == 1) {
                EXPECT_EQ(got, expected) << c.file << " kind " << kinds[i];
            }
        }
        // Nothing is copied for numbers outside the table or without a buffer.
        for (const int k : {0, c.count + 1}) {
            std::memset(buffer, 'x', sizeof buffer);
            exportOf(k, buffer, 255);
            EXPECT_EQ(buffer[0], 'x') << c.file << " " << k;
        }
        EXPECT_EQ(exportOf(1, nullptr, 255), 0);
    }
}

TEST(EffectLibraries, DisplayNamesAndExportsArePaired) {
    const std::pair<const char*, const char*> pairs[] = {
        {"ネガポジ反転", "NEGAPOGI"},
        {"フォレスト", "FOREST"},
        {"ランダムカラー２", "RANDOMCHANGE2"},
        {"陰影 [光源＝左下, 強度＝強]", "FRAME_BL_S"},
        {"右90°回転", "ROTATERIGHT90"},
        {"左右反転", "LRREVERSE"},
        {"上下反転", "TBREVERSE"},
        {"RGB -> GBR", "RGBTOGBR"},
    };
    for (const auto& [display, exported] : pairs) {
        const int index = Delivered().IndexOfEffect(display);
        ASSERT_GE(index, 0) << display;
        EXPECT_EQ(Delivered().EffectExportName(index), exported);
    }
    EXPECT_EQ(Delivered().EffectCount(), 32);
    EXPECT_EQ(Delivered().IndexOfEffect("rgb -> brg"), Delivered().IndexOfEffect("RGB -> BRG"));
}

// ---------------------------------------------------------------- colour effects

TEST(ColourEffects, MonochromesOfTrueColourBecomeIndexedRamps) {
    BitmapPtr image = Make24(3, 1, {0xFF0000, 0xFFFFFF, 0x0AC81E}); // (10, 200, 30) last
    Apply("グレースケール", image);
    ASSERT_EQ(mtgdi_format(image.get()), MT_PF8);
    EXPECT_EQ(IndexAt(image.get(), 0, 0), 76); // 76.5 rounds to even
    EXPECT_EQ(IndexAt(image.get(), 1, 0), 255);
    EXPECT_EQ(IndexAt(image.get(), 2, 0), 124);
    EXPECT_EQ(mtgdi_palette(image.get())[200], 0xC8C8C8u);

    BitmapPtr red = Make24(1, 1, {0x0AC81E});
    Apply("レッドスケール２", red);
    EXPECT_EQ(mtgdi_get_pixel(red.get(), 0, 0), 0x7C0000u); // (124, 0, 0)
}

TEST(ColourEffects, PalettePathsRewriteOnlyTheTable) {
    const struct {
        const char* effect;
        uint32_t entry, expected;
    } cases[] = {
        {"グレースケール", 0x00FF0000, 0x004C4C4C},
        {"レッドスケール２", 0x000AC81E, 0x000A0000},
        {"グリーンスケール２", 0x000AC81E, 0x0000C800},
        {"ブルースケール１", 0x000AC81E, 0x007C7CFF},
        {"ネガポジ反転", 0x7F0AC81E, 0x7FF537E1}, // the flags byte is kept
        {"RGB -> BRG", 0x7F0AC81E, 0x7F1E0AC8},
        {"RGB -> GBR", 0x7F0AC81E, 0x7FC81E0A},
        {"セピア", 0x00000000, 0x00000000},
        {"セピア", 0x00FFFFFF, 0x00FFFFFF},
    };
    for (const auto& c : cases) {
        BitmapPtr image = MakeIndexed(MT_PF8, 4, 2, {0x00102030, c.entry}, {1, 0});
        Apply(c.effect, image);
        ASSERT_EQ(mtgdi_format(image.get()), MT_PF8) << c.effect;
        EXPECT_EQ(mtgdi_palette(image.get())[1], c.expected) << c.effect;
        EXPECT_EQ(IndexAt(image.get(), 0, 0), 1);
        EXPECT_EQ(IndexAt(image.get(), 1, 0), 0);
    }
}

TEST(ColourEffects, FormatsAreNormalised) {
    // 32-bit and 16-bit pictures come back 24-bit; inversion twice gives the picture back.
    for (const int format : {MT_PF32, MT_PF16, MT_DDB}) {
        BitmapPtr image(mtgdi_convert(Make24(5, 3, {0x102030, 0xF0E0D0}).get(), format));
        BitmapPtr original = Make24(5, 3, {0x102030, 0xF0E0D0});
        Apply("ネガポジ反転", image);
        EXPECT_EQ(mtgdi_format(image.get()), MT_PF24);
        Apply("ネガポジ反転", image);
        if (format != MT_PF16) { // 16 bits lose the low bits of each channel
            EXPECT_TRUE(SamePixels(image.get(), original.get()));
        }
    }
    // A 1-bit picture comes back 4-bit, its indices kept and its two colours changed.
    BitmapPtr bilevel = MakeIndexed(MT_PF1, 9, 2, {0x000000, 0xFFFFFF}, {0, 1, 1});
    Apply("ネガポジ反転", bilevel);
    ASSERT_EQ(mtgdi_format(bilevel.get()), MT_PF4);
    EXPECT_EQ(mtgdi_palette(bilevel.get())[0], 0xFFFFFFu);
    EXPECT_EQ(mtgdi_palette(bilevel.get())[1], 0x000000u);
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(IndexAt(bilevel.get(), x, 0), x % 3 == 0 ? 0 : 1) << x;
}

TEST(ColourEffects, RandomCurvesDependOnlyOnLuminance) {
    // (150, 0, 0) and (0, 29, 0) have the same luminance with the weights 29, 150, 77, so
    // they end equal whatever the draw.
    for (const char* effect : {"ランダムカラー１", "ランダムカラー２"}) {
        BitmapPtr image = Make24(4, 1, {0x960000, 0x001D00, 0x000000, 0xFFFFFF});
        Apply(effect, image);
        ASSERT_EQ(mtgdi_format(image.get()), MT_PF24);
        EXPECT_EQ(mtgdi_get_pixel(image.get(), 0, 0), mtgdi_get_pixel(image.get(), 1, 0));
        EXPECT_EQ(mtgdi_get_pixel(image.get(), 3, 0) & 0xFF, 0xFFu); // tone(255, e) = 255
    }
}

// ---------------------------------------------------------------- frames

uint8_t Grey(const MTBitmap* image, int x, int y) {
    return uint8_t(mtgdi_get_pixel(image, x, y) & 0xFF);
}

TEST(FrameEffects, BandsBrightenTowardsTheLightAndClamp) {
    BitmapPtr white = Make24(40, 30, {0xFFFFFF});
    Apply("陰影 [光源＝左上, 強度＝弱]", white);
    EXPECT_EQ(Grey(white.get(), 20, 0), 255);  // top, clamped
    EXPECT_EQ(Grey(white.get(), 0, 15), 255);  // left
    EXPECT_EQ(Grey(white.get(), 39, 15), 185); // right edge: 255 - 70
    EXPECT_EQ(Grey(white.get(), 33, 15), 245); // its seventh pixel: 255 - 10
    EXPECT_EQ(Grey(white.get(), 32, 15), 255);
    EXPECT_EQ(Grey(white.get(), 20, 29), 185);

    BitmapPtr black = Make24(40, 30, {0x000000});
    Apply("陰影 [光源＝左上, 強度＝弱]", black);
    EXPECT_EQ(Grey(black.get(), 20, 0), 70);
    EXPECT_EQ(Grey(black.get(), 20, 6), 10);
    EXPECT_EQ(Grey(black.get(), 6, 15), 10);
    EXPECT_EQ(Grey(black.get(), 39, 15), 0);
    // The corners are mitred: the top band owns the diagonal.
    EXPECT_EQ(Grey(black.get(), 3, 3), 40);
    EXPECT_EQ(Grey(black.get(), 3, 4), 40);

    BitmapPtr grey = Make24(40, 30, {0x808080});
    Apply("陰影 [光源＝左上, 強度＝強]", grey);
    EXPECT_EQ(Grey(grey.get(), 20, 0), 255); // + 300
}

TEST(FrameEffects, OverlappingBandsOnALowPicture) {
    BitmapPtr image = Make24(100, 10, {0x808080});
    Apply("陰影 [光源＝左上, 強度＝弱]", image);
    EXPECT_EQ(Grey(image.get(), 3, 3), 128 + 40);
    EXPECT_EQ(Grey(image.get(), 5, 3), 128 + 40);
    EXPECT_EQ(Grey(image.get(), 6, 3), 128 + 40 - 10);
    EXPECT_EQ(Grey(image.get(), 93, 3), 128 + 40 - 10);
    EXPECT_EQ(Grey(image.get(), 96, 3), 128 + 40);
    EXPECT_EQ(Grey(image.get(), 97, 3), 128 - 50); // the right band's third column
}

TEST(FrameEffects, BandsWiderThanThePictureAreClipped) {
    // A 7-pixel band on a picture 5 high: the top band's rows past the picture are left
    // out; every row that exists is shaded as the formula says.
    BitmapPtr image = Make24(100, 5, {0x808080});
    Apply("陰影 [光源＝右下, 強度＝弱]", image);
    EXPECT_EQ(mtgdi_format(image.get()), MT_PF24);
    // Top (darken) then bottom (brighten) on row 2: -50 from x 2, +50 from x 2 (t = 2).
    EXPECT_EQ(Grey(image.get(), 50, 2), 128);
    EXPECT_EQ(Grey(image.get(), 50, 0), 128 - 70 + 30);
    EXPECT_EQ(Grey(image.get(), 50, 4), 128 - 30 + 70);
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {1, 40}, {40, 1}, {3, 3}}) {
        BitmapPtr tiny = Make24(w, h, {0x808080});
        Apply("陰影 [光源＝左上, 強度＝強]", tiny);
        EXPECT_EQ(mtgdi_width(tiny.get()), w);
    }
}

// ---------------------------------------------------------------- turns and mirrors

TEST(RotateEffects, TurnsAsNamedOnEveryDepth) {
    // 3 x 2 pictures whose pixel (x, y) has colour (or index) 1 + x + 3y.
    const std::vector<int> indices = {1, 2, 3, 4, 5, 6};
    std::vector<uint32_t> table;
    for (int i = 0; i < 16; ++i)
        table.push_back(uint32_t(i * 0x0F0F0F));
    const struct {
        const char* effect;
        int w, h;
        int expected[6]; // the output's values, row by row
    } cases[] = {
        {"右90°回転", 2, 3, {4, 1, 5, 2, 6, 3}}, // clockwise
        {"左90°回転", 2, 3, {3, 6, 2, 5, 1, 4}}, {"180°回転", 3, 2, {6, 5, 4, 3, 2, 1}},
        {"左右反転", 3, 2, {3, 2, 1, 6, 5, 4}},  {"上下反転", 3, 2, {4, 5, 6, 1, 2, 3}},
    };
    for (const int format : {MT_PF4, MT_PF8, MT_PF24}) {
        for (const auto& c : cases) {
            BitmapPtr image;
            if (format == MT_PF24) {
                std::vector<uint32_t> rgb;
                for (const int i : indices)
                    rgb.push_back(table[size_t(i)]);
                image = Make24(3, 2, rgb);
            } else {
                image = MakeIndexed(format, 3, 2, table, indices);
            }
            Apply(c.effect, image);
            ASSERT_EQ(mtgdi_width(image.get()), c.w) << c.effect;
            ASSERT_EQ(mtgdi_height(image.get()), c.h) << c.effect;
            EXPECT_EQ(mtgdi_format(image.get()), format);
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x)
                    EXPECT_EQ(mtgdi_get_pixel(image.get(), x, y),
                              table[size_t(c.expected[y * c.w + x])])
                        << c.effect << " format " << format << " at " << x << "," << y;
        }
    }
}

TEST(RotateEffects, AnOddWidthFourBitMirrorHasNoShift) {
    std::vector<uint32_t> table;
    for (int i = 0; i < 16; ++i)
        table.push_back(uint32_t(i * 0x111111));
    BitmapPtr image = MakeIndexed(MT_PF4, 5, 1, table, {9, 1, 2, 3, 4});
    Apply("左右反転", image);
    EXPECT_EQ(IndexAt(image.get(), 4, 0), 9);
    EXPECT_EQ(IndexAt(image.get(), 0, 0), 4);
}

TEST(RotateEffects, TwiceOrThriceRestores) {
    const BitmapPtr original = Make24(7, 5, {0x102030, 0x405060, 0x708090, 0xA0B0C0});
    const struct {
        const char* effect;
        int times;
    } cases[] = {
        {"180°回転", 2}, {"左右反転", 2}, {"上下反転", 2}, {"右90°回転", 4}, {"RGB -> BRG", 3}};
    for (const auto& c : cases) {
        BitmapPtr image(mtgdi_clone(original.get()));
        for (int i = 0; i < c.times; ++i)
            Apply(c.effect, image);
        EXPECT_TRUE(SamePixels(image.get(), original.get())) << c.effect;
    }
    BitmapPtr image(mtgdi_clone(original.get()));
    Apply("RGB -> BRG", image);
    Apply("RGB -> GBR", image);
    EXPECT_TRUE(SamePixels(image.get(), original.get()));
}

// ---------------------------------------------------------------- every effect

TEST(EffectLibraries, EveryEffectMatchesItsGoldenPicture) {
    const std::string folder = test::Fixture("effects/");
    BitmapPtr source = test::ReadBmpFile(folder + "source.bmp");
    ASSERT_TRUE(source);
    int compared = 0;
    for (int i = 0; i < Delivered().EffectCount(); ++i) {
        const std::string exported = Delivered().EffectExportName(i);
        const std::string goldenPath = folder + exported + ".bmp";
        if (exported.rfind("RANDOMCHANGE", 0) == 0)
            continue; // drawn from the clock: no picture to match
        BitmapPtr golden = test::ReadBmpFile(goldenPath);
        ASSERT_TRUE(golden) << goldenPath;
        BitmapPtr image(mtgdi_clone(source.get()));
        Delivered().RunEffect(i, image);
        EXPECT_EQ(mtgdi_format(image.get()), mtgdi_format(golden.get())) << exported;
        EXPECT_TRUE(SamePixels(image.get(), golden.get())) << exported;
        ++compared;
    }
    EXPECT_EQ(compared, 30);
}

TEST(EffectLibraries, EveryEffectTakesEveryDepthAndTinySizes) {
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {5, 3}};
    for (const int format : {MT_PF1, MT_PF4, MT_PF8, MT_PF15, MT_PF16, MT_PF24, MT_PF32, MT_DDB})
        for (const auto& [w, h] : sizes)
            for (int i = 0; i < Delivered().EffectCount(); ++i) {
                BitmapPtr image(mtgdi_convert(Make24(w, h, {0x336699, 0xFFEEDD}).get(), format));
                ASSERT_TRUE(image);
                Delivered().RunEffect(i, image);
                ASSERT_TRUE(image);
                EXPECT_TRUE(mtgdi_is_bitmap(image.get()));
                EXPECT_EQ(mtgdi_width(image.get()) * mtgdi_height(image.get()), w * h)
                    << Delivered().EffectExportName(i) << " format " << format;
            }
}

} // namespace
} // namespace muralto

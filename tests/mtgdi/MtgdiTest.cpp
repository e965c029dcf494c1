#include "platform/mtgdi/Bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace muralto {
namespace {

// A bitmap file from the layout tables: 14-byte file header, 40-byte info header, colour
// table, rows as given (already padded, in file order).
std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bits,
                             const std::vector<uint32_t>& palette, const std::vector<uint8_t>& rows,
                             uint32_t compression = 0, const std::vector<uint32_t>& masks = {}) {
    std::vector<uint8_t> f;
    auto u16 = [&](uint32_t v) {
        f.push_back(uint8_t(v));
        f.push_back(uint8_t(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f.push_back(uint8_t(v >> (8 * i)));
    };
    const uint32_t offset = 14 + 40 + uint32_t(masks.size() * 4 + palette.size() * 4);
    f.push_back('B');
    f.push_back('M');
    u32(offset + uint32_t(rows.size()));
    u32(0);
    u32(offset);
    u32(40);
    u32(uint32_t(width));
    u32(uint32_t(height));
    u16(1);
    u16(bits);
    u32(compression);
    u32(uint32_t(rows.size()));
    u32(0);
    u32(0);
    u32(uint32_t(palette.size()));
    u32(0);
    for (uint32_t m : masks)
        u32(m);
    for (uint32_t p : palette)
        u32(p);
    f.insert(f.end(), rows.begin(), rows.end());
    return f;
}

BitmapPtr Read(const std::vector<uint8_t>& file, int32_t* rc = nullptr) {
    MTBitmap* bitmap = nullptr;
    const int32_t result = mtgdi_read_bmp(file.data(), file.size(), &bitmap);
    if (rc)
        *rc = result;
    return BitmapPtr(bitmap);
}

TEST(Mtgdi, Reads24BitBottomUpRowsTopFirst) {
    // Row order in the file is bottom-up: blue, green on the bottom row; red, white on top.
    const auto file = BmpFile(2, 2, 24, {},
                              {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, /* bottom */
                               0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0 /* top */});
    BitmapPtr b = Read(file);
    ASSERT_TRUE(b);
    EXPECT_EQ(mtgdi_format(b.get()), MT_PF24);
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 0, 0), 0xFF0000u);
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 1, 0), 0xFFFFFFu);
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 0, 1), 0x0000FFu);
    EXPECT_EQ(mtgdi_get_pixel(b.get(), 1, 1), 0x00FF00u);
}

TEST(Mtgdi, ReadsIndexedTopDownAndMaskedFormats) {
    BitmapPtr eight = Read(BmpFile(3, -1, 8, {0x102030, 0xA0B0C0}, {1, 0, 1, 0}));
    ASSERT_TRUE(eight);
    EXPECT_EQ(mtgdi_format(eight.get()), MT_PF8);
    EXPECT_EQ(mtgdi_get_pixel(eight.get(), 0, 0), 0xA0B0C0u);
    EXPECT_EQ(mtgdi_get_pixel(eight.get(), 1, 0), 0x102030u);

    BitmapPtr one = Read(BmpFile(9, 1, 1, {0x000000, 0xFFFFFF}, {0x80, 0x80, 0, 0}));
    ASSERT_TRUE(one);
    EXPECT_EQ(mtgdi_get_pixel(one.get(), 0, 0), 0xFFFFFFu);
    EXPECT_EQ(mtgdi_get_pixel(one.get(), 1, 0), 0u);
    EXPECT_EQ(mtgdi_get_pixel(one.get(), 8, 0), 0xFFFFFFu);

    // 5-6-5 with bit-field masks: pure green is 0x07E0.
    BitmapPtr sixteen =
        Read(BmpFile(1, 1, 16, {}, {0xE0, 0x07, 0, 0}, 3, {0xF800, 0x07E0, 0x001F}));
    ASSERT_TRUE(sixteen);
    EXPECT_EQ(mtgdi_get_pixel(sixteen.get(), 0, 0), 0x00FF00u);

    BitmapPtr thirtyTwo = Read(BmpFile(1, 1, 32, {}, {0x11, 0x22, 0x33, 0x00}));
    ASSERT_TRUE(thirtyTwo);
    EXPECT_EQ(mtgdi_get_pixel(thirtyTwo.get(), 0, 0), 0x332211u);
}

TEST(Mtgdi, ReadsRunLengthCodes) {
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i)
        palette.push_back(i * 0x111111);
    // RLE4, 4 x 2, bottom row first: a run of 1,2,1,2; then literal 3,4,5 and the end.
    const auto rle4 =
        BmpFile(4, 2, 4, palette,
                {0x04, 0x12, 0x00, 0x00, 0x00, 0x03, 0x34, 0x50, 0x00, 0x00, 0x00, 0x01}, 2);
    BitmapPtr four = Read(rle4);
    ASSERT_TRUE(four);
    EXPECT_EQ(mtgdi_get_pixel(four.get(), 0, 1), 0x111111u);
    EXPECT_EQ(mtgdi_get_pixel(four.get(), 1, 1), 0x222222u);
    EXPECT_EQ(mtgdi_get_pixel(four.get(), 2, 0), 0x555555u);
    EXPECT_EQ(mtgdi_get_pixel(four.get(), 3, 0), 0u); // skipped by the codes: index 0

    // RLE8 with a delta: 3 of colour 7, move right 1 and up 1, 1 of colour 9, end.
    const auto rle8 =
        BmpFile(5, 2, 8, palette, {0x03, 0x07, 0x00, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00, 0x01}, 1);
    BitmapPtr eight = Read(rle8);
    ASSERT_TRUE(eight);
    EXPECT_EQ(mtgdi_get_pixel(eight.get(), 2, 1), 0x777777u);
    EXPECT_EQ(mtgdi_get_pixel(eight.get(), 4, 0), 0x999999u);
    EXPECT_EQ(mtgdi_get_pixel(eight.get(), 3, 0), 0u);

    // A literal run longer than the data is damage, not a read past the end.
    int32_t rc = 0;
    EXPECT_FALSE(Read(BmpFile(4, 1, 8, palette, {0x00, 0x40, 0x01}, 1), &rc));
    EXPECT_EQ(rc, MT_ERR_DAMAGED);
}

TEST(Mtgdi, RefusesDamagedAndOversizedFiles) {
    const auto good = BmpFile(2, 2, 24, {}, std::vector<uint8_t>(16, 7));
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        int32_t expected;
    } cases[] = {
        {"cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), MT_ERR_DAMAGED},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 20), MT_ERR_DAMAGED},
        {"not a bitmap", std::vector<uint8_t>{'P', 'K', 3, 4}, MT_ERR_NOT_BMP},
        {"too wide", BmpFile(20000, 1, 24, {}, {}), MT_ERR_TOO_LARGE},
        {"too tall", BmpFile(1, -16385, 24, {}, {}), MT_ERR_TOO_LARGE},
        {"zero width", BmpFile(0, 1, 24, {}, {}), MT_ERR_DAMAGED},
        {"odd depth", BmpFile(1, 1, 7, {}, {0, 0, 0, 0}), MT_ERR_UNSUPPORTED},
    };
    for (const auto& c : cases) {
        int32_t rc = 0;
        EXPECT_FALSE(Read(c.file, &rc)) << c.what;
        EXPECT_EQ(rc, c.expected) << c.what;
    }
    // A pixel offset that points past the end is damage, not a read out of bounds.
    auto lying = good;
    lying[10] = 0xFF;
    lying[11] = 0xFF;
    int32_t rc = 0;
    EXPECT_FALSE(Read(lying, &rc));
    EXPECT_EQ(rc, MT_ERR_DAMAGED);
}

TEST(Mtgdi, WriteThenReadGivesTheSamePixels) {
    for (const int32_t format : {MT_PF24, MT_PF32, MT_PF8, MT_PF15, MT_PF16}) {
        BitmapPtr source(mtgdi_create(5, 3, MT_PF24));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                uint8_t* p = mtgdi_scanline(source.get(), y) + 3 * x;
                p[0] = uint8_t(x * 51);
                p[1] = uint8_t(y * 102);
                p[2] = 255;
            }
        BitmapPtr converted(mtgdi_convert(source.get(), format));
        ASSERT_TRUE(converted) << format;
        uint8_t* bytes = nullptr;
        size_t size = 0;
        ASSERT_EQ(mtgdi_write_bmp(converted.get(), &bytes, &size), MT_OK);
        std::vector<uint8_t> file(bytes, bytes + size);
        mtgdi_free_memory(bytes);
        BitmapPtr back = Read(file);
        ASSERT_TRUE(back) << format;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(mtgdi_get_pixel(back.get(), x, y), mtgdi_get_pixel(converted.get(), x, y))
                    << format << " at " << x << "," << y;
    }
}

TEST(Mtgdi, LocalBlocksLockAndFree) {
    MTLocalHandle h = mtgdi_local_alloc(16, 1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(mtgdi_local_size(h), 16u);
    auto* p = static_cast<uint8_t*>(mtgdi_local_lock(h));
    EXPECT_EQ(p[15], 0);
    p[15] = 9;
    EXPECT_EQ(mtgdi_local_unlock(h), 0);
    EXPECT_EQ(mtgdi_local_free(h), nullptr);
}

} // namespace
} // namespace muralto

#include "mtgdi.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

struct MTBitmap {
    int32_t width = 0;
    int32_t height = 0;
    int32_t format = MT_PF24;
    int32_t stride = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> palette;
};

struct MTLocal {
    std::vector<uint8_t> bytes;
    int32_t locks = 0;
};

namespace {

// Every bitmap this library made and has not freed, so a handle handed back across a
// library boundary can be checked without reading through it.
std::mutex& LiveLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::unordered_set<const MTBitmap*>& Live() {
    static auto* live = new std::unordered_set<const MTBitmap*>;
    return *live;
}
MTBitmap* Track(MTBitmap* bitmap) {
    if (bitmap) {
        const std::lock_guard<std::mutex> guard(LiveLock());
        Live().insert(bitmap);
    }
    return bitmap;
}

int32_t BitsOf(int32_t format) {
    switch (format) {
    case MT_PF1:
    case MT_PF4:
    case MT_PF8:
    case MT_PF16:
    case MT_PF24:
    case MT_PF32:
        return format;
    case MT_PF15:
        return 16;
    case MT_DDB:
        return 32;
    default:
        return 0;
    }
}

bool IsIndexed(int32_t format) {
    return format == MT_PF1 || format == MT_PF4 || format == MT_PF8;
}

int64_t StrideOf(int64_t width, int32_t bits) {
    return ((width * bits + 31) / 32) * 4;
}

bool SizeAllowed(int64_t width, int64_t height) {
    if (width < 1 || height < 1 || width > MTGDI_MAX_SIDE || height > MTGDI_MAX_SIDE)
        return false;
    return static_cast<uint64_t>(StrideOf(width, 24)) * static_cast<uint64_t>(height) <=
           MTGDI_MAX_24BIT_BYTES;
}

uint32_t Read16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Write16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Write32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return (r << 16) | (g << 8) | b;
}

// Scales a masked channel value to 0..255 whatever the width of its mask.
uint32_t ExpandChannel(uint32_t value, uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    const uint32_t v = (value >> shift) & mask;
    return mask == 0 ? 0 : (v * 255u + mask / 2) / mask;
}

void GreyPalette(MTBitmap& bmp) {
    const int n = 1 << BitsOf(bmp.format);
    bmp.palette.resize(n);
    for (int i = 0; i < n; ++i) {
        const uint32_t g = n == 1 ? 0 : uint32_t(i * 255 / (n - 1));
        bmp.palette[i] = Rgb(g, g, g);
    }
}

MTBitmap* NewBitmap(int32_t width, int32_t height, int32_t format) {
    if (BitsOf(format) == 0 || !SizeAllowed(width, height))
        return nullptr;
    auto* bmp = new (std::nothrow) MTBitmap;
    if (!bmp)
        return nullptr;
    bmp->width = width;
    bmp->height = height;
    bmp->format = format;
    bmp->stride = int32_t(StrideOf(width, BitsOf(format)));
    try {
        bmp->pixels.assign(size_t(bmp->stride) * size_t(height), 0);
        if (IsIndexed(format))
            GreyPalette(*bmp);
    } catch (const std::bad_alloc&) {
        delete bmp;
        return nullptr;
    }
    return Track(bmp);
}

uint32_t PixelAt(const MTBitmap& bmp, int32_t x, int32_t y) {
    const uint8_t* row = bmp.pixels.data() + size_t(y) * size_t(bmp.stride);
    auto fromIndex = [&](uint32_t index) {
        return index < bmp.palette.size() ? bmp.palette[index] & 0xFFFFFFu : 0u;
    };
    switch (bmp.format) {
    case MT_PF1:
        return fromIndex((row[x >> 3] >> (7 - (x & 7))) & 1u);
    case MT_PF4:
        return fromIndex((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u);
    case MT_PF8:
        return fromIndex(row[x]);
    case MT_PF15: {
        const uint32_t v = Read16(row + 2 * x);
        return Rgb(ExpandChannel(v, 0x7C00), ExpandChannel(v, 0x03E0), ExpandChannel(v, 0x001F));
    }
    case MT_PF16: {
        const uint32_t v = Read16(row + 2 * x);
        return Rgb(ExpandChannel(v, 0xF800), ExpandChannel(v, 0x07E0), ExpandChannel(v, 0x001F));
    }
    case MT_PF24: {
        const uint8_t* p = row + 3 * x;
        return Rgb(p[2], p[1], p[0]);
    }
    default: {
        const uint8_t* p = row + 4 * x;
        return Rgb(p[2], p[1], p[0]);
    }
    }
}

// A fixed 6x6x6 colour cube serves conversions to indexed formats; colour reduction with
// a tailored palette is a separate operation of the graphic server.
uint8_t NearestIndex(const std::vector<uint32_t>& palette, uint32_t rgb) {
    int best = 0;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int dr = int((palette[i] >> 16) & 255) - int((rgb >> 16) & 255);
        const int dg = int((palette[i] >> 8) & 255) - int((rgb >> 8) & 255);
        const int db = int(palette[i] & 255) - int(rgb & 255);
        const int64_t d = int64_t(dr) * dr + int64_t(dg) * dg + int64_t(db) * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return uint8_t(best);
}

void SetPixel(MTBitmap& bmp, int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* row = bmp.pixels.data() + size_t(y) * size_t(bmp.stride);
    const uint32_t r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
    switch (bmp.format) {
    case MT_PF1: {
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        if (NearestIndex(bmp.palette, rgb))
            row[x >> 3] |= bit;
        else
            row[x >> 3] &= uint8_t(~bit);
        break;
    }
    case MT_PF4: {
        const uint8_t index = NearestIndex(bmp.palette, rgb);
        uint8_t& cell = row[x >> 1];
        cell = (x & 1) ? uint8_t((cell & 0xF0) | index) : uint8_t((cell & 0x0F) | (index << 4));
        break;
    }
    case MT_PF8:
        row[x] = NearestIndex(bmp.palette, rgb);
        break;
    case MT_PF15:
        Write16(row + 2 * x, ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        break;
    case MT_PF16:
        Write16(row + 2 * x, ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        break;
    case MT_PF24:
        row[3 * x] = uint8_t(b);
        row[3 * x + 1] = uint8_t(g);
        row[3 * x + 2] = uint8_t(r);
        break;
    default:
        row[4 * x] = uint8_t(b);
        row[4 * x + 1] = uint8_t(g);
        row[4 * x + 2] = uint8_t(r);
        row[4 * x + 3] = 0;
        break;
    }
}

void CubePalette(MTBitmap& bmp) {
    const size_t n = size_t(1) << BitsOf(bmp.format);
    bmp.palette.clear();
    if (n >= 216) {
        for (uint32_t r = 0; r < 6; ++r)
            for (uint32_t g = 0; g < 6; ++g)
                for (uint32_t b = 0; b < 6; ++b)
                    bmp.palette.push_back(Rgb(r * 51, g * 51, b * 51));
        while (bmp.palette.size() < n)
            bmp.palette.push_back(0);
    } else {
        GreyPalette(bmp);
    }
}

struct BmpHeader {
    int64_t width = 0;
    int64_t height = 0;
    bool topDown = false;
    uint32_t bits = 0;
    uint32_t compression = 0;
    uint32_t masks[3] = {0, 0, 0};
    uint32_t colorsUsed = 0;
    size_t paletteOffset = 0;
    size_t paletteEntrySize = 4;
    size_t pixelOffset = 0;
};

int32_t ParseHeader(const uint8_t* data, size_t size, BmpHeader& h) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return MT_ERR_NOT_BMP;
    if (size < 14 + 12)
        return MT_ERR_DAMAGED;
    h.pixelOffset = Read32(data + 10);
    const uint32_t headerSize = Read32(data + 14);
    const uint8_t* info = data + 14;
    if (headerSize == 12) {
        h.width = Read16(info + 4);
        h.height = int16_t(Read16(info + 6));
        h.bits = Read16(info + 10);
        h.paletteEntrySize = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
               headerSize == 124) {
        if (size < 14 + size_t(headerSize))
            return MT_ERR_DAMAGED;
        h.width = int32_t(Read32(info + 4));
        h.height = int32_t(Read32(info + 8));
        h.bits = Read16(info + 14);
        h.compression = Read32(info + 16);
        h.colorsUsed = Read32(info + 32);
        if (h.compression == 3) {
            // The masks follow a 40-byte header, or are part of the longer ones.
            if (size < 14 + 40 + 12)
                return MT_ERR_DAMAGED;
            for (int i = 0; i < 3; ++i)
                h.masks[i] = Read32(info + 40 + 4 * i);
        }
    } else {
        return MT_ERR_UNSUPPORTED;
    }
    h.paletteOffset = 14 + headerSize + ((h.compression == 3 && headerSize == 40) ? 12 : 0);
    if (h.height < 0) {
        h.topDown = true;
        h.height = -h.height;
    }
    if (h.width <= 0 || h.height <= 0)
        return MT_ERR_DAMAGED;
    if (!SizeAllowed(h.width, h.height))
        return MT_ERR_TOO_LARGE;
    const bool bitsKnown =
        h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32;
    if (!bitsKnown)
        return MT_ERR_UNSUPPORTED;
    if (h.compression == 3 && h.bits != 16 && h.bits != 32)
        return MT_ERR_UNSUPPORTED;
    const bool rle = (h.compression == 1 && h.bits == 8) || (h.compression == 2 && h.bits == 4);
    if (h.compression != 0 && h.compression != 3 && !rle)
        return MT_ERR_UNSUPPORTED;
    if (rle && h.topDown)
        return MT_ERR_DAMAGED; // run-length bitmaps are always stored bottom-up
    return MT_OK;
}

// Run-length pixels (RLE8, RLE4): runs, literal runs, line ends, deltas and the end code.
// Pixels the codes skip keep index 0. Every read is checked against the data's end.
int32_t DecodeRle(const uint8_t* data, size_t size, const BmpHeader& h, MTBitmap& bmp) {
    const bool four = h.bits == 4;
    size_t at = h.pixelOffset;
    int64_t x = 0, row = 0; // row counts from the bottom
    auto put = [&](int64_t px, uint8_t index) {
        if (px < 0 || px >= h.width || row >= h.height)
            return;
        uint8_t* line = bmp.pixels.data() + size_t(h.height - 1 - row) * size_t(bmp.stride);
        if (four) {
            uint8_t& cell = line[px >> 1];
            cell = (px & 1) ? uint8_t((cell & 0xF0) | (index & 15))
                            : uint8_t((cell & 0x0F) | (index << 4));
        } else {
            line[px] = index;
        }
    };
    while (at + 2 <= size) {
        const uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(x++, four ? uint8_t((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++row;
        } else if (value == 1) { // end of bitmap
            return MT_OK;
        } else if (value == 2) { // move right and up
            if (at + 2 > size)
                return MT_ERR_DAMAGED;
            x += data[at];
            row += data[at + 1];
            at += 2;
        } else { // a literal run, padded to an even number of bytes
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            if (at + bytes > size)
                return MT_ERR_DAMAGED;
            for (int i = 0; i < value; ++i) {
                const uint8_t b = data[at + (four ? size_t(i / 2) : size_t(i))];
                put(x++, four ? uint8_t((i & 1) ? b & 15 : b >> 4) : b);
            }
            at += bytes + (bytes & 1);
        }
        if (row > h.height)
            return MT_OK;
    }
    return MT_OK; // a stream that ends without its end code keeps what it drew
}

int32_t FormatForFile(const BmpHeader& h) {
    if (h.bits == 16) {
        if (h.compression == 3 && h.masks[1] == 0x07E0)
            return MT_PF16;
        return MT_PF15;
    }
    return int32_t(h.bits);
}

} // namespace

extern "C" {

MTBitmap* mtgdi_create(int32_t width, int32_t height, int32_t format) {
    return NewBitmap(width, height, format);
}

void mtgdi_free(MTBitmap* bitmap) {
    if (!bitmap)
        return;
    {
        const std::lock_guard<std::mutex> guard(LiveLock());
        Live().erase(bitmap);
    }
    delete bitmap;
}

MTBitmap* mtgdi_clone(const MTBitmap* bitmap) {
    if (!bitmap)
        return nullptr;
    try {
        return Track(new MTBitmap(*bitmap));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int32_t mtgdi_is_bitmap(const MTBitmap* bitmap) {
    if (!bitmap)
        return 0;
    const std::lock_guard<std::mutex> guard(LiveLock());
    return Live().count(bitmap) ? 1 : 0;
}

MTBitmap* mtgdi_convert(const MTBitmap* bitmap, int32_t format) {
    if (!bitmap || BitsOf(format) == 0)
        return nullptr;
    if (format == bitmap->format)
        return mtgdi_clone(bitmap);
    MTBitmap* out = NewBitmap(bitmap->width, bitmap->height, format);
    if (!out)
        return nullptr;
    // The wallpaper path converts between 24 and 32 bits all the time: plain loops.
    const bool to32 = format == MT_PF32 || format == MT_DDB;
    const bool from32 = bitmap->format == MT_PF32 || bitmap->format == MT_DDB;
    if ((bitmap->format == MT_PF24 && to32) || (from32 && format == MT_PF24) || (from32 && to32)) {
        const int sb = from32 ? 4 : 3, db = to32 ? 4 : 3;
        if (sb == 3 && db == 4) {
            for (int32_t y = 0; y < bitmap->height; ++y) {
                const uint8_t* src = bitmap->pixels.data() + size_t(y) * size_t(bitmap->stride);
                auto* dst = reinterpret_cast<uint32_t*>(out->pixels.data() +
                                                        size_t(y) * size_t(out->stride));
                for (int32_t x = 0; x < bitmap->width; ++x, src += 3)
                    dst[x] = uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16);
            }
            return out;
        }
        for (int32_t y = 0; y < bitmap->height; ++y) {
            const uint8_t* src = bitmap->pixels.data() + size_t(y) * size_t(bitmap->stride);
            uint8_t* dst = out->pixels.data() + size_t(y) * size_t(out->stride);
            for (int32_t x = 0; x < bitmap->width; ++x, src += sb, dst += db) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
        }
        return out;
    }
    if (IsIndexed(format))
        CubePalette(*out);
    for (int32_t y = 0; y < bitmap->height; ++y)
        for (int32_t x = 0; x < bitmap->width; ++x)
            SetPixel(*out, x, y, PixelAt(*bitmap, x, y));
    return out;
}

int32_t mtgdi_width(const MTBitmap* bitmap) {
    return bitmap ? bitmap->width : 0;
}
int32_t mtgdi_height(const MTBitmap* bitmap) {
    return bitmap ? bitmap->height : 0;
}
int32_t mtgdi_format(const MTBitmap* bitmap) {
    return bitmap ? bitmap->format : 0;
}
int32_t mtgdi_bits_per_pixel(const MTBitmap* bitmap) {
    return bitmap ? BitsOf(bitmap->format) : 0;
}
int32_t mtgdi_stride(const MTBitmap* bitmap) {
    return bitmap ? bitmap->stride : 0;
}

uint8_t* mtgdi_scanline(MTBitmap* bitmap, int32_t y) {
    if (!bitmap || y < 0 || y >= bitmap->height)
        return nullptr;
    return bitmap->pixels.data() + size_t(y) * size_t(bitmap->stride);
}

const uint8_t* mtgdi_scanline_const(const MTBitmap* bitmap, int32_t y) {
    return mtgdi_scanline(const_cast<MTBitmap*>(bitmap), y);
}

int32_t mtgdi_palette_size(const MTBitmap* bitmap) {
    return bitmap ? int32_t(bitmap->palette.size()) : 0;
}

uint32_t* mtgdi_palette(MTBitmap* bitmap) {
    return bitmap && !bitmap->palette.empty() ? bitmap->palette.data() : nullptr;
}

int32_t mtgdi_set_palette_size(MTBitmap* bitmap, int32_t entries) {
    if (!bitmap || !IsIndexed(bitmap->format) || entries < 0 ||
        entries > (1 << BitsOf(bitmap->format)))
        return MT_ERR_ARGUMENT;
    bitmap->palette.resize(size_t(entries), 0);
    return MT_OK;
}

uint32_t mtgdi_get_pixel(const MTBitmap* bitmap, int32_t x, int32_t y) {
    if (!bitmap || x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height)
        return 0;
    return PixelAt(*bitmap, x, y);
}

int32_t mtgdi_read_bmp(const uint8_t* data, size_t size, MTBitmap** out) {
    if (!data || !out)
        return MT_ERR_ARGUMENT;
    *out = nullptr;
    BmpHeader h;
    if (const int32_t rc = ParseHeader(data, size, h); rc != MT_OK)
        return rc;

    const bool rle = h.compression == 1 || h.compression == 2;
    const int64_t fileStride = StrideOf(h.width, int32_t(h.bits));
    const uint64_t pixelBytes = rle ? 2 : uint64_t(fileStride) * uint64_t(h.height);
    if (h.pixelOffset > size || size - h.pixelOffset < pixelBytes)
        return MT_ERR_DAMAGED;

    const int32_t format = FormatForFile(h);
    MTBitmap* bmp = NewBitmap(int32_t(h.width), int32_t(h.height), format);
    if (!bmp)
        return MT_ERR_NO_MEMORY;

    if (h.bits <= 8) {
        const size_t maxEntries = size_t(1) << h.bits;
        size_t entries = h.colorsUsed ? h.colorsUsed : maxEntries;
        if (entries > maxEntries)
            entries = maxEntries;
        // A table that runs into the pixels is cut where they begin.
        const size_t room = h.pixelOffset > h.paletteOffset ? h.pixelOffset - h.paletteOffset : 0;
        if (entries * h.paletteEntrySize > room)
            entries = room / h.paletteEntrySize;
        bmp->palette.assign(maxEntries, 0);
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* p = data + h.paletteOffset + i * h.paletteEntrySize;
            bmp->palette[i] = Rgb(p[2], p[1], p[0]);
        }
    }

    if (rle) {
        const int32_t rc = DecodeRle(data, size, h, *bmp);
        if (rc != MT_OK) {
            delete bmp;
            return rc;
        }
        *out = bmp;
        return MT_OK;
    }
    const bool masked = h.compression == 3;
    for (int64_t row = 0; row < h.height; ++row) {
        const uint8_t* src = data + h.pixelOffset + size_t(row) * size_t(fileStride);
        const int32_t y = int32_t(h.topDown ? row : h.height - 1 - row);
        uint8_t* dst = bmp->pixels.data() + size_t(y) * size_t(bmp->stride);
        if (masked && h.bits == 32) {
            for (int64_t x = 0; x < h.width; ++x) {
                const uint32_t v = Read32(src + 4 * x);
                SetPixel(*bmp, int32_t(x), y,
                         Rgb(ExpandChannel(v, h.masks[0]), ExpandChannel(v, h.masks[1]),
                             ExpandChannel(v, h.masks[2])));
            }
        } else if (masked && format == MT_PF15 && h.masks[0] != 0x7C00) {
            for (int64_t x = 0; x < h.width; ++x) {
                const uint32_t v = Read16(src + 2 * x);
                SetPixel(*bmp, int32_t(x), y,
                         Rgb(ExpandChannel(v, h.masks[0]), ExpandChannel(v, h.masks[1]),
                             ExpandChannel(v, h.masks[2])));
            }
        } else {
            std::memcpy(dst, src, size_t(bmp->stride));
        }
    }
    *out = bmp;
    return MT_OK;
}

int32_t mtgdi_write_bmp(const MTBitmap* bitmap, uint8_t** out, size_t* size) {
    if (!bitmap || !out || !size)
        return MT_ERR_ARGUMENT;
    *out = nullptr;
    *size = 0;
    // 15-bit pixels are stored as plain 16-bit files; 5-6-5 and the device-dependent
    // format need masks or a conversion, so they are written as 24 and 32 bits.
    const MTBitmap* source = bitmap;
    MTBitmap* converted = nullptr;
    if (bitmap->format == MT_PF16) {
        converted = mtgdi_convert(bitmap, MT_PF24);
        if (!converted)
            return MT_ERR_NO_MEMORY;
        source = converted;
    }
    const uint32_t bits = uint32_t(BitsOf(source->format));
    const size_t paletteBytes = IsIndexed(source->format) ? source->palette.size() * 4 : 0;
    const size_t offset = 14 + 40 + paletteBytes;
    const size_t pixelBytes = size_t(source->stride) * size_t(source->height);
    const size_t total = offset + pixelBytes;
    auto* bytes = static_cast<uint8_t*>(std::calloc(total, 1));
    if (!bytes) {
        mtgdi_free(converted);
        return MT_ERR_NO_MEMORY;
    }
    bytes[0] = 'B';
    bytes[1] = 'M';
    Write32(bytes + 2, uint32_t(total));
    Write32(bytes + 10, uint32_t(offset));
    uint8_t* info = bytes + 14;
    Write32(info, 40);
    Write32(info + 4, uint32_t(source->width));
    Write32(info + 8, uint32_t(source->height));
    Write16(info + 12, 1);
    Write16(info + 14, bits);
    Write32(info + 20, uint32_t(pixelBytes));
    Write32(info + 24, 3780); // 96 dpi
    Write32(info + 28, 3780);
    Write32(info + 32, uint32_t(source->palette.size()));
    for (size_t i = 0; i < source->palette.size() && paletteBytes; ++i)
        Write32(bytes + 54 + 4 * i, source->palette[i] & 0xFFFFFFu);
    for (int32_t y = 0; y < source->height; ++y) {
        const uint8_t* src = source->pixels.data() + size_t(y) * size_t(source->stride);
        std::memcpy(bytes + offset + size_t(source->height - 1 - y) * size_t(source->stride), src,
                    size_t(source->stride));
    }
    mtgdi_free(converted);
    *out = bytes;
    *size = total;
    return MT_OK;
}

void mtgdi_free_memory(void* block) {
    std::free(block);
}

MTLocalHandle mtgdi_local_alloc(size_t size, int32_t zero) {
    (void)zero; // blocks always start zeroed
    auto* local = new (std::nothrow) MTLocal;
    if (!local)
        return nullptr;
    try {
        local->bytes.assign(size, 0);
    } catch (const std::bad_alloc&) {
        delete local;
        return nullptr;
    }
    return local;
}

void* mtgdi_local_lock(MTLocalHandle handle) {
    if (!handle)
        return nullptr;
    ++handle->locks;
    return handle->bytes.empty() ? static_cast<void*>(handle) : handle->bytes.data();
}

int32_t mtgdi_local_unlock(MTLocalHandle handle) {
    if (!handle || handle->locks == 0)
        return 0;
    return --handle->locks;
}

size_t mtgdi_local_size(MTLocalHandle handle) {
    return handle ? handle->bytes.size() : 0;
}

MTLocalHandle mtgdi_local_free(MTLocalHandle handle) {
    delete handle;
    return nullptr;
}

const char* mtgdi_error_text(int32_t code) {
    switch (code) {
    case MT_OK:
        return "no error";
    case MT_ERR_ARGUMENT:
        return "bad argument";
    case MT_ERR_NOT_BMP:
        return "not a bitmap file";
    case MT_ERR_DAMAGED:
        return "damaged or truncated bitmap file";
    case MT_ERR_UNSUPPORTED:
        return "unsupported bitmap variant";
    case MT_ERR_TOO_LARGE:
        return "picture too large";
    case MT_ERR_NO_MEMORY:
        return "out of memory";
    case MT_ERR_IO:
        return "input/output error";
    default:
        return "unknown error";
    }
}

} // extern "C"

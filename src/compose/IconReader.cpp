#include "IconReader.h"

#include "platform/Files.h"

#include <QImage>

#include <cstring>
#include <vector>

namespace muralto {

namespace {

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// An image stored as PNG, through Qt's decoder, composed over white.
int DecodePng(const uint8_t* data, size_t size, BitmapPtr& bitmap, std::string& why) {
    QImage image;
    if (!image.loadFromData(data, int(size), "PNG")) {
        why = "a damaged PNG image in the icon";
        return MT_ERR_DAMAGED;
    }
    if (image.width() > MTGDI_MAX_SIDE || image.height() > MTGDI_MAX_SIDE)
        return MT_ERR_TOO_LARGE;
    image = image.convertToFormat(QImage::Format_ARGB32);
    BitmapPtr out(mtgdi_create(image.width(), image.height(), MT_PF24));
    if (!out)
        return MT_ERR_NO_MEMORY;
    for (int y = 0; y < image.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uint8_t* dst = mtgdi_scanline(out.get(), y);
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(src[x]);
            dst[3 * x] = uint8_t((qBlue(src[x]) * a + 255 * (255 - a)) / 255);
            dst[3 * x + 1] = uint8_t((qGreen(src[x]) * a + 255 * (255 - a)) / 255);
            dst[3 * x + 2] = uint8_t((qRed(src[x]) * a + 255 * (255 - a)) / 255);
        }
    }
    bitmap = std::move(out);
    return MT_OK;
}

// A device-independent image: colour rows, then the 1-bit mask (1 = transparent).
int DecodeDib(const uint8_t* data, size_t size, BitmapPtr& bitmap, std::string& why) {
    if (size < 40 || U32(data) < 40 || U32(data) > size) {
        why = "a damaged icon image header";
        return MT_ERR_DAMAGED;
    }
    const uint32_t headerSize = U32(data);
    const auto width = int32_t(U32(data + 4));
    const auto doubled = int32_t(U32(data + 8));
    const int height = doubled / 2;
    const int bits = U16(data + 14);
    if (width < 1 || height < 1 || width > 1024 || height > 1024) {
        why = "an icon image of impossible size";
        return MT_ERR_DAMAGED;
    }
    // Give the image a file header and its true height, and let the bitmap reader do it.
    std::vector<uint8_t> file(14 + size);
    file[0] = 'B';
    file[1] = 'M';
    uint32_t colours = U32(data + 32);
    if (colours == 0 && bits <= 8)
        colours = 1u << bits;
    const uint32_t offset = 14 + headerSize + colours * 4;
    for (int i = 0; i < 4; ++i) {
        file[size_t(2 + i)] = uint8_t(file.size() >> (8 * i));
        file[size_t(10 + i)] = uint8_t(offset >> (8 * i));
    }
    std::memcpy(file.data() + 14, data, size);
    for (int i = 0; i < 4; ++i)
        file[size_t(14 + 8 + i)] = uint8_t(uint32_t(height) >> (8 * i));
    MTBitmap* raw = nullptr;
    const int rc = mtgdi_read_bmp(file.data(), file.size(), &raw);
    if (rc != MT_OK) {
        why = std::string("icon image: ") + mtgdi_error_text(rc);
        return rc;
    }
    BitmapPtr colour(raw);
    BitmapPtr out(mtgdi_convert(colour.get(), MT_PF24));
    if (!out)
        return MT_ERR_NO_MEMORY;
    const size_t colourStride = size_t(((width * bits + 31) / 32) * 4);
    const size_t maskStride = size_t(((width + 31) / 32) * 4);
    const size_t maskAt = offset - 14 + colourStride * size_t(height);
    const bool hasMask = maskAt + maskStride * size_t(height) <= size;
    for (int y = 0; y < height; ++y) {
        uint8_t* dst = mtgdi_scanline(out.get(), y);
        const uint8_t* mask =
            hasMask ? data + maskAt + size_t(height - 1 - y) * maskStride : nullptr;
        const uint8_t* alpha = bits == 32 ? mtgdi_scanline_const(colour.get(), y) : nullptr;
        for (int x = 0; x < width; ++x) {
            int a = 255;
            if (alpha)
                a = alpha[4 * x + 3];
            if (mask && (mask[x >> 3] >> (7 - (x & 7))) & 1)
                a = bits == 32 ? a : 0;
            for (int c = 0; c < 3; ++c)
                dst[3 * x + c] = uint8_t((dst[3 * x + c] * a + 255 * (255 - a)) / 255);
        }
    }
    // A 32-bit image whose alpha is all zero carries no alpha at all.
    bitmap = std::move(out);
    return MT_OK;
}

} // namespace

int DecodeIcon(const uint8_t* data, size_t size, BitmapPtr& bitmap, std::string& why) {
    if (size < 6 || U16(data) != 0 || (U16(data + 2) != 1 && U16(data + 2) != 2)) {
        why = "not an icon file";
        return MT_ERR_NOT_BMP;
    }
    const int count = U16(data + 4);
    if (count < 1 || size < 6 + size_t(count) * 16) {
        why = "the icon directory is cut short";
        return MT_ERR_DAMAGED;
    }
    // The largest image, the deepest of those.
    int best = -1;
    long bestArea = -1, bestDepth = -1;
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = data + 6 + i * 16;
        const long w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        const uint32_t length = U32(e + 8), offset = U32(e + 12);
        if (offset > size || length > size - offset || length < 8)
            continue;
        long depth = U16(e + 6);
        if (std::memcmp(data + offset, "\x89PNG", 4) == 0)
            depth = 32;
        else if (length >= 16 && U16(data + offset + 14))
            depth = U16(data + offset + 14);
        if (w * h > bestArea || (w * h == bestArea && depth > bestDepth)) {
            best = i;
            bestArea = w * h;
            bestDepth = depth;
        }
    }
    if (best < 0) {
        why = "no readable image in the icon";
        return MT_ERR_DAMAGED;
    }
    const uint8_t* e = data + 6 + best * 16;
    const uint8_t* image = data + U32(e + 12);
    const size_t length = U32(e + 8);
    if (std::memcmp(image, "\x89PNG", 4) == 0)
        return DecodePng(image, length, bitmap, why);
    return DecodeDib(image, length, bitmap, why);
}

int ReadIcon(const std::string& path, const TLoadHint&, BitmapPtr& bitmap, std::string& why) {
    std::string bytes;
    if (!ReadPictureBytes(path, bytes, why))
        return MT_ERR_IO;
    return DecodeIcon(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bitmap, why);
}

} // namespace muralto

#pragma once
// What every import plug-in of ours shares: the information texts, the size cap, and
// handing a decoded picture back as the two blocks the interface asks for.
#include "platform/SharedLibrary.h"
#include "susie/spi.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace spi {

// A decoding library opened when the first picture is decoded rather than with the
// plug-in: hosts load every plug-in at start-up to learn its formats, and a large decoder
// with its own dependencies would slow every start for pictures that may never come.
class LazyLibrary {
public:
    explicit LazyLibrary(const char* soname) {
        std::string why;
        library_ = muralto::SharedLibrary::OpenInstalled(soname, why);
    }
    // Points target at the named function; false when the library or the function is
    // missing, and the plug-in then reads nothing.
    template <class F> bool Bind(F*& target, const char* name) const {
        target = library_ ? reinterpret_cast<F*>(library_->Symbol(name)) : nullptr;
        return target != nullptr;
    }

private:
    std::unique_ptr<muralto::SharedLibrary> library_;
};

inline int32_t InfoText(const char* const* texts, int count, int32_t number, char* buffer,
                        int32_t bufferLength) {
    if (number < 0 || number >= count || !buffer || bufferLength < 1)
        return 0;
    const size_t n = std::min(std::strlen(texts[number]), size_t(bufferLength - 1));
    std::memcpy(buffer, texts[number], n);
    buffer[n] = 0;
    return int32_t(n);
}

// Pictures a wallpaper may be made of: at most 16384 a side and 1 GiB at 24 bits.
inline bool SizeAllowed(uint64_t width, uint64_t height) {
    return width >= 1 && height >= 1 && width <= MTGDI_MAX_SIDE && height <= MTGDI_MAX_SIDE &&
           ((width * 3 + 3) & ~uint64_t(3)) * height <= MTGDI_MAX_24BIT_BYTES;
}

inline void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Rows of blue, green, red and alpha, top row first, as a 24-bit picture (transparency
// laid on white) in the interface's two blocks.
inline int32_t HandBack(const uint8_t* bgra, size_t width, size_t height, MTLocalHandle* infoOut,
                        MTLocalHandle* bitsOut) {
    const size_t stride = (width * 3 + 3) & ~size_t(3);
    MTLocalHandle info = mtgdi_local_alloc(40, 1);
    MTLocalHandle bits = mtgdi_local_alloc(stride * height, 1);
    if (!info || !bits) {
        mtgdi_local_free(info);
        mtgdi_local_free(bits);
        return SPI_NO_MEMORY;
    }
    auto* header = static_cast<uint8_t*>(mtgdi_local_lock(info));
    Put32(header, 40);
    Put32(header + 4, uint32_t(width));
    Put32(header + 8, uint32_t(height));
    header[12] = 1;
    header[14] = 24;
    Put32(header + 20, uint32_t(stride * height));
    mtgdi_local_unlock(info);
    auto* out = static_cast<uint8_t*>(mtgdi_local_lock(bits));
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* src = bgra + y * width * 4;
        uint8_t* dst = out + (height - 1 - y) * stride; // rows bottom-up
        for (size_t x = 0; x < width; ++x, src += 4, dst += 3) {
            const unsigned a = src[3];
            for (int c = 0; c < 3; ++c)
                dst[c] = uint8_t((src[c] * a + 255 * (255 - a) + 127) / 255);
        }
    }
    mtgdi_local_unlock(bits);
    *infoOut = info;
    *bitsOut = bits;
    return SPI_SUCCESS;
}

// A decoder of one format: the picture's size (without decoding it when bgra is null),
// or its pixels as rows of blue, green, red and alpha, top row first. False when the data
// is not a picture of the format, is damaged, or is too large.
using Decoder = bool (*)(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
                         std::vector<uint8_t>* bgra);

// The bodies of GetPictureInfo and GetPicture, the same for every plug-in.
inline int32_t PictureInfo(Decoder decode, const char* data, intptr_t length, uint32_t flag,
                           SpiPictureInfo* info) {
    uint32_t width = 0, height = 0;
    if (!(flag & SPI_INPUT_MEMORY) || !info)
        return SPI_NOT_IMPLEMENTED;
    if (!decode(data, length, width, height, nullptr))
        return SPI_UNKNOWN_FORMAT;
    std::memset(info, 0, sizeof *info);
    info->width = int32_t(width);
    info->height = int32_t(height);
    info->colorDepth = 24;
    return SPI_SUCCESS;
}

inline int32_t Picture(Decoder decode, const char* data, intptr_t length, uint32_t flag,
                       MTLocalHandle* infoOut, MTLocalHandle* bitsOut, SpiProgressCallback progress,
                       intptr_t userData) {
    if (!(flag & SPI_INPUT_MEMORY) || !infoOut || !bitsOut)
        return SPI_NOT_IMPLEMENTED;
    if (progress && progress(0, 1, userData))
        return SPI_ABORT;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bgra;
    try {
        if (!decode(data, length, width, height, &bgra))
            return SPI_BROKEN_DATA;
    } catch (...) {
        return SPI_NO_MEMORY;
    }
    const int32_t rc = HandBack(bgra.data(), width, height, infoOut, bitsOut);
    if (rc == SPI_SUCCESS && progress)
        progress(1, 1, userData);
    return rc;
}

} // namespace spi

// The four entry points of an import plug-in made of its texts, its signature test and its
// decoder.
#define SPI_IMPORT_PLUGIN(texts, recognise, decode)                                                \
    extern "C" {                                                                                   \
    SPI_EXPORT int32_t GetPluginInfo(int32_t number, char* buffer, int32_t bufferLength) {         \
        return spi::InfoText(texts, int(std::size(texts)), number, buffer, bufferLength);          \
    }                                                                                              \
    SPI_EXPORT int32_t IsSupported(const char*, const void* header) {                              \
        return header && recognise(header) ? 1 : 0;                                                \
    }                                                                                              \
    SPI_EXPORT int32_t GetPictureInfo(const char* data, intptr_t length, uint32_t flag,            \
                                      SpiPictureInfo* info) {                                      \
        return spi::PictureInfo(decode, data, length, flag, info);                                 \
    }                                                                                              \
    SPI_EXPORT int32_t GetPicture(const char* data, intptr_t length, uint32_t flag,                \
                                  MTLocalHandle* info, MTLocalHandle* bits,                        \
                                  SpiProgressCallback progress, intptr_t userData) {               \
        return spi::Picture(decode, data, length, flag, info, bits, progress, userData);           \
    }                                                                                              \
    }

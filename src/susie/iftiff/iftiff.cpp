// The TIFF import plug-in: strips and tiles, 1 to 16 bits, palettes, CMYK, alpha (laid
// on white); of a multi-page file the first page.
#include "susie/common/SpiCommon.h"

#include <tiffio.h>

namespace {

const char* const kInfo[] = {"00IN", "TIFF import plug-in of Muralto (libtiff)", "*.tif;*.tiff",
                             "Tagged Image File Format"};

bool IsTiff(const void* header) {
    return std::memcmp(header, "II*\0", 4) == 0 || std::memcmp(header, "MM\0*", 4) == 0;
}

struct Source {
    const char* data;
    toff_t size, at;
};

tsize_t Read(thandle_t h, tdata_t out, tsize_t n) {
    auto* s = static_cast<Source*>(h);
    const toff_t count = std::min<toff_t>(toff_t(n < 0 ? 0 : n), s->size - s->at);
    std::memcpy(out, s->data + s->at, size_t(count));
    s->at += count;
    return tsize_t(count);
}
tsize_t Write(thandle_t, tdata_t, tsize_t) {
    return 0;
}
toff_t Seek(thandle_t h, toff_t offset, int whence) {
    auto* s = static_cast<Source*>(h);
    const toff_t base = whence == SEEK_CUR ? s->at : whence == SEEK_END ? s->size : 0;
    s->at = std::min<toff_t>(base + offset, s->size);
    return s->at;
}
int Close(thandle_t) {
    return 0;
}
toff_t Size(thandle_t h) {
    return static_cast<Source*>(h)->size;
}
int Map(thandle_t, tdata_t*, toff_t*) {
    return 0;
}
void Unmap(thandle_t, tdata_t, toff_t) {}

void Quiet(const char*, const char*, va_list) {}

// 16-bit CMYK, which libtiff's RGBA reader leaves out: read by rows, ink taken off white.
bool ReadDeepCmyk(TIFF* tiff, uint32_t width, uint32_t height, std::vector<uint8_t>& bgra) {
    uint16_t samples = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (samples < 4 || uint64_t(TIFFScanlineSize64(tiff)) < uint64_t(width) * samples * 2)
        return false;
    std::vector<uint16_t> row(size_t(TIFFScanlineSize64(tiff) + 1) / 2);
    bgra.resize(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tiff, row.data(), y, 0) < 0)
            return false;
        uint8_t* o = bgra.data() + size_t(y) * width * 4;
        for (uint32_t x = 0; x < width; ++x, o += 4) {
            const uint16_t* p = row.data() + size_t(x) * samples;
            const uint32_t white = 65535u - p[3];
            for (int c = 0; c < 3; ++c) {
                const uint32_t level = (65535u - p[c]) * white / 65535u;
                o[2 - c] = uint8_t((level * 255u + 32767u) / 65535u);
            }
            o[3] = 255;
        }
    }
    return true;
}

bool IsDeepCmyk(TIFF* tiff) {
    uint16_t photometric = 0, bits = 0, planar = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    return TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) &&
           photometric == PHOTOMETRIC_SEPARATED && bits == 16 && planar == PLANARCONFIG_CONTIG &&
           !TIFFIsTiled(tiff);
}

// The first page's size, then, when asked, its pixels as rows of blue, green, red, alpha.
bool Decode(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
            std::vector<uint8_t>* bgra) {
    if (length < 8 || !IsTiff(data))
        return false;
    TIFFSetErrorHandler(Quiet);
    TIFFSetWarningHandler(Quiet);
    Source source{data, toff_t(length), 0};
    TIFF* tiff =
        TIFFClientOpen("memory", "rm", &source, Read, Write, Seek, Close, Size, Map, Unmap);
    if (!tiff)
        return false;
    bool ok = TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) &&
              TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) && spi::SizeAllowed(width, height);
    if (ok && bgra && IsDeepCmyk(tiff)) {
        ok = ReadDeepCmyk(tiff, width, height, *bgra);
    } else if (ok && bgra) {
        std::vector<uint32_t> abgr(size_t(width) * height);
        ok = TIFFReadRGBAImageOriented(tiff, width, height, abgr.data(), ORIENTATION_TOPLEFT, 0);
        if (ok) {
            bgra->resize(abgr.size() * 4);
            for (size_t i = 0; i < abgr.size(); ++i) {
                const uint32_t p = abgr[i];
                uint8_t* o = bgra->data() + 4 * i;
                o[0] = uint8_t(TIFFGetB(p));
                o[1] = uint8_t(TIFFGetG(p));
                o[2] = uint8_t(TIFFGetR(p));
                o[3] = uint8_t(TIFFGetA(p));
            }
        }
    }
    TIFFClose(tiff);
    return ok;
}

} // namespace

SPI_IMPORT_PLUGIN(kInfo, IsTiff, Decode)

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
    if (ok && bgra) {
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

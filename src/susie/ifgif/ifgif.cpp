// The GIF import plug-in: the first frame (interlaced ones too, with its own or the global
// colour table) on the logical screen; transparent pixels become white.
#include "susie/common/SpiCommon.h"

#include <gif_lib.h>

namespace {

const char* const kInfo[] = {"00IN", "GIF import plug-in of Muralto (giflib)", "*.gif",
                             "Graphics Interchange Format"};

bool IsGif(const void* header) {
    return std::memcmp(header, "GIF87a", 6) == 0 || std::memcmp(header, "GIF89a", 6) == 0;
}

struct Source {
    const char* data;
    size_t size, at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* s = static_cast<Source*>(gif->UserData);
    const size_t n = std::min(size_t(count < 0 ? 0 : count), s->size - s->at);
    std::memcpy(out, s->data + s->at, n);
    s->at += n;
    return int(n);
}

// The screen size first (without decoding), then, when asked, the first frame as rows of
// blue, green, red and alpha.
bool Decode(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
            std::vector<uint8_t>* bgra) {
    if (length < 13 || !IsGif(data))
        return false;
    Source source{data, size_t(length), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadFromMemory, &error);
    if (!gif)
        return false;
    if (gif->SWidth < 1 || gif->SHeight < 1) {
        DGifCloseFile(gif, &error);
        return false;
    }
    width = uint32_t(gif->SWidth);
    height = uint32_t(gif->SHeight);
    bool ok = spi::SizeAllowed(width, height);
    if (ok && bgra) {
        ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
        if (ok) {
            const SavedImage& frame = gif->SavedImages[0];
            const ColorMapObject* map =
                frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(gif, 0, &gcb);
            bgra->assign(size_t(width) * size_t(height) * 4, 255); // white where nothing is
            const GifImageDesc& d = frame.ImageDesc;
            for (int y = 0; y < d.Height && map; ++y) {
                const int sy = d.Top + y;
                if (sy < 0 || sy >= int(height))
                    continue;
                for (int x = 0; x < d.Width; ++x) {
                    const int sx = d.Left + x;
                    const int index = frame.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)];
                    if (sx < 0 || sx >= int(width) || index == gcb.TransparentColor ||
                        index >= map->ColorCount)
                        continue;
                    uint8_t* p = bgra->data() + (size_t(sy) * size_t(width) + size_t(sx)) * 4;
                    p[0] = map->Colors[index].Blue;
                    p[1] = map->Colors[index].Green;
                    p[2] = map->Colors[index].Red;
                    p[3] = 255;
                }
            }
        }
    }
    DGifCloseFile(gif, &error);
    return ok;
}

} // namespace

SPI_IMPORT_PLUGIN(kInfo, IsGif, Decode)

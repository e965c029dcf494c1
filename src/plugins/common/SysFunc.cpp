#include "SysFunc.h"

#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>

namespace egl {

namespace {

thread_local std::string lastError;

MTBitmap* Checked(MTBitmap* bitmap) {
    if (!bitmap)
        throw std::bad_alloc();
    return bitmap;
}

void Replace(MTBitmap*& image, MTBitmap* replacement) {
    Checked(replacement);
    mtgdi_free(image);
    image = replacement;
}

} // namespace

int32_t CopyText(const std::string& text, char* buffer, int32_t size) {
    if (!buffer || size < 0)
        return 0;
    const size_t n = std::min(text.size(), size_t(size));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return int32_t(n);
}

int32_t GetLibInfo(const TLibraryTable& table, int32_t kind, char* buffer, int32_t size) {
    if (kind == 0)
        return 0;
    if (kind == 2)
        return table.count;
    const char* text = nullptr;
    if (kind == 1)
        text = table.info;
    else if (kind >= 3 && kind - 2 <= table.count)
        text = table.effects[kind - 3].display;
    if (!text)
        return 0;
    const int32_t copied = CopyText(text, buffer, size);
    switch (table.result) {
    case TInfoResult::CopiedLength:
        return copied;
    case TInfoResult::FourThenZero:
        return kind <= 4 ? 4 : 0;
    default:
        return 4;
    }
}

int32_t IndexOfName(const TLibraryTable& table, int32_t index, char* buffer, int32_t size) {
    if (!buffer || index < 1 || index > table.count)
        return 0;
    return CopyText(table.effects[index - 1].exportName, buffer, size);
}

int32_t LastError(char* buffer, int32_t size) {
    return CopyText(lastError, buffer, size);
}

void ConvertTo24(MTBitmap*& image) {
    if (mtgdi_format(image) != MT_PF24)
        Replace(image, mtgdi_convert(image, MT_PF24));
}

void NormaliseFormat(MTBitmap*& image) {
    switch (mtgdi_format(image)) {
    case MT_PF4:
    case MT_PF8:
    case MT_PF24:
        return;
    case MT_PF1: {
        // The two colours become the first entries of a 16-colour table; indices stay.
        const int32_t w = mtgdi_width(image), h = mtgdi_height(image);
        MTBitmap* out = Checked(mtgdi_create(w, h, MT_PF4));
        uint32_t* entries = mtgdi_palette(out);
        const int32_t given = std::min(mtgdi_palette_size(image), 2);
        for (int i = 0; i < 16; ++i)
            entries[i] = i < given ? mtgdi_palette(image)[i] : 0;
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* src = mtgdi_scanline_const(image, y);
            uint8_t* dst = mtgdi_scanline(out, y);
            for (int32_t x = 0; x < w; ++x) {
                const int bit = (src[x / 8] >> (7 - x % 8)) & 1;
                dst[x / 2] |= uint8_t(x % 2 ? bit : bit << 4);
            }
        }
        Replace(image, out);
        return;
    }
    default:
        ConvertTo24(image);
        return;
    }
}

TWork ColourWork(TPixelPath pixels, TPalettePath palette) {
    return [pixels = std::move(pixels), palette = std::move(palette)](MTBitmap*& image) {
        NormaliseFormat(image);
        if (mtgdi_format(image) == MT_PF24) {
            pixels(image);
            return;
        }
        const int wanted = mtgdi_format(image) == MT_PF4 ? 16 : 256;
        const int count = std::min(wanted, int(mtgdi_palette_size(image)));
        palette(mtgdi_palette(image), count);
    };
}

int32_t RunEffect(MTBitmap** handle, TFailure failure, const TWork& work) {
    // A picture that is not an mtgdi bitmap is handed back untouched.
    if (!handle || !mtgdi_is_bitmap(*handle))
        return EGL_UNCHANGED;
    MTBitmap* image = *handle;
    MTBitmap* backup = nullptr;
    try {
        if (failure == TFailure::ConvertedAndRaise)
            ConvertTo24(image);
        backup = Checked(mtgdi_clone(image));
        work(image);
        mtgdi_free(backup);
        *handle = image;
        return EGL_OK;
    } catch (const std::exception& e) {
        lastError = e.what();
    } catch (...) {
        lastError = "unknown failure";
    }
    if (backup) {
        if (image != backup)
            mtgdi_free(image);
        image = backup;
    }
    *handle = image; // without a backup the picture was not touched yet
    if (failure == TFailure::Unchanged)
        return EGL_UNCHANGED;
    if (lastError == std::bad_alloc().what())
        lastError = "not enough memory";
    return EGL_FAILED;
}

} // namespace egl

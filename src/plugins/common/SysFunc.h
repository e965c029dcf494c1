#pragma once
// What the delivered effect libraries share: their tables of effects, the two information
// exports, and the wrapper every effect runs inside (the picture taken over, a backup,
// the pixel format normalised, the failure convention of the library).
#include "EffectFunc.h"

#include <cstdint>
#include <functional>
#include <string>

namespace egl {

struct TEffectEntry {
    const char* display;    // what users see and patterns store
    const char* exportName; // how the host finds the function
};

// What GETLIBINFO answers for the copying kinds (the host does not use it).
enum class TInfoResult { Four, CopiedLength, FourThenZero };

struct TLibraryTable {
    const char* info; // the title first
    const TEffectEntry* effects;
    int32_t count;
    TInfoResult result;
};

int32_t GetLibInfo(const TLibraryTable& table, int32_t kind, char* buffer, int32_t size);
int32_t IndexOfName(const TLibraryTable& table, int32_t index, char* buffer, int32_t size);
// At most size bytes and a 0 byte; returns how many bytes of text were copied.
int32_t CopyText(const std::string& text, char* buffer, int32_t size);
int32_t LastError(char* buffer, int32_t size);

// How a library hands a failure back.
enum class TFailure {
    Unchanged,        // the picture as it came, EGL_UNCHANGED
    RestoreAndRaise,  // the picture as it came, EGL_FAILED with the message
    ConvertedAndRaise // the picture made 24 bits before the work, EGL_FAILED
};

// The work on a normalised picture (24-bit, or 4- or 8-bit with a colour table); it may
// replace the picture, freeing the old one. Exceptions are failures.
using TWork = std::function<void(MTBitmap*& image)>;

// Runs the work on the host's picture under the library's failure convention; nothing
// escapes but the result code.
int32_t RunEffect(MTBitmap** handle, TFailure failure, const TWork& work);

// Device-dependent, 15-, 16- and 32-bit pictures become 24-bit and 1-bit ones 4-bit with
// their pixel indices kept; 4-, 8- and 24-bit pictures stay. Frees the old picture when it
// makes a new one.
void NormaliseFormat(MTBitmap*& image);
void ConvertTo24(MTBitmap*& image);

// The pixel path (24-bit) or the palette path (the first 16 or 256 colour-table entries,
// as 0x00RRGGBB) of a colour effect.
using TPixelPath = std::function<void(MTBitmap*& image)>;
using TPalettePath = std::function<void(uint32_t* entries, int count)>;
TWork ColourWork(TPixelPath pixels, TPalettePath palette);

// A 24-bit pixel's bytes, blue first.
inline uint8_t* Pixel24(MTBitmap* image, int32_t x, int32_t y) {
    return mtgdi_scanline(image, y) + 3 * x;
}

} // namespace egl

// The information exports of a library from its table.
#define EGL_LIBRARY(table)                                                                         \
    EGL_EXPORT int32_t GETLIBINFO(int32_t kind, char* buffer, int32_t size) {                      \
        return egl::GetLibInfo(table, kind, buffer, size);                                         \
    }                                                                                              \
    EGL_EXPORT int32_t INDEXOFNAME(int32_t index, char* buffer, int32_t size) {                    \
        return egl::IndexOfName(table, index, buffer, size);                                       \
    }                                                                                              \
    EGL_EXPORT int32_t GETLASTERROR(char* buffer, int32_t size) {                                  \
        return egl::LastError(buffer, size);                                                       \
    }

// One effect export running work under the library's failure convention.
#define EGL_EFFECT(exportName, failure, work)                                                      \
    EGL_EXPORT int32_t exportName(void*, MTBitmap** bitmap, EglProgress) {                         \
        return egl::RunEffect(bitmap, failure, work);                                              \
    }

/* Effect libraries of the tests' own, built from this one file against the public header
 * only: the drop-in example (VARIANT 0) and one library per way of breaking the rules. */
#include "EffectFunc.h"

#include <string.h>

#ifndef VARIANT
#define VARIANT 0
#endif

static int32_t copy_text(const char* text, char* buffer, int32_t size) {
    int32_t n = (int32_t)strlen(text);
    if (!buffer)
        return 0;
    if (n > size)
        n = size;
    memcpy(buffer, text, (size_t)n);
    buffer[n] = 0;
    return n;
}

#if VARIANT == 0 /* the example: one effect that takes the blue out */
static const char* const displays[] = {"青を消す"};
static const char* const exports[] = {"ERASEBLUE"};
#define COUNT 1
#elif VARIANT == 3 /* a count no library has */
static const char* const displays[] = {"何か"};
static const char* const exports[] = {"ERASEBLUE"};
#define COUNT 0x7FFFFFFF
#elif VARIANT == 4 /* a display name without its end */
static const char* const displays[] = {""};
static const char* const exports[] = {"ERASEBLUE"};
#define COUNT 1
#elif VARIANT == 5 /* three announced, the second's function missing */
static const char* const displays[] = {"一", "二", "三"};
static const char* const exports[] = {"ONE", "TWO", "THREE"};
#define COUNT 3
#elif VARIANT == 6 /* a name another library offers first */
static const char* const displays[] = {"セピア"};
static const char* const exports[] = {"ERASEBLUE"};
#define COUNT 1
#elif VARIANT == 7 /* effects that hand back nothing, a stranger, or fail */
static const char* const displays[] = {"空", "他人", "失敗"};
static const char* const exports[] = {"NULLRESULT", "FOREIGN", "FAILING"};
#define COUNT 3
#else
static const char* const displays[] = {"壊れ"};
static const char* const exports[] = {"ERASEBLUE"};
#define COUNT 1
#endif

EGL_EXPORT int32_t GETLIBINFO(int32_t kind, char* buffer, int32_t size) {
    (void)exports;
#if VARIANT == 2
    if (kind == 0)
        return 1; /* refuses the host */
#endif
    if (kind == 1)
        return copy_text("Example Library 1.0 — built against EffectFunc.h", buffer, size);
    if (kind == 2)
        return COUNT;
#if VARIANT == 4
    if (kind == 3 && buffer) {
        memset(buffer, 'A', 300); /* past the size and past the host's 256 bytes */
        return 300;
    }
#endif
    if (kind >= 3 && kind - 3 < (int32_t)(sizeof displays / sizeof *displays))
        return copy_text(displays[kind - 3], buffer, size);
    return 0;
}

#if VARIANT != 1 /* variant 1 lacks INDEXOFNAME */
EGL_EXPORT int32_t INDEXOFNAME(int32_t index, char* buffer, int32_t size) {
    if (index < 1 || index > (int32_t)(sizeof exports / sizeof *exports))
        return 0;
    return copy_text(exports[index - 1], buffer, size);
}
#endif

static int32_t erase_blue(MTBitmap** bitmap) {
    MTBitmap* image = mtgdi_convert(*bitmap, MT_PF24);
    int32_t x, y;
    if (!image)
        return EGL_UNCHANGED;
    mtgdi_free(*bitmap);
    for (y = 0; y < mtgdi_height(image); ++y)
        for (x = 0; x < mtgdi_width(image); ++x)
            mtgdi_scanline(image, y)[3 * x] = 0;
    *bitmap = image;
    return EGL_OK;
}

EGL_EXPORT int32_t ERASEBLUE(void* window, MTBitmap** bitmap, EglProgress progress) {
    (void)window;
    (void)progress;
    return erase_blue(bitmap);
}

#if VARIANT == 5
EGL_EXPORT int32_t ONE(void* window, MTBitmap** bitmap, EglProgress progress) {
    (void)window;
    (void)progress;
    (void)bitmap;
    return EGL_OK;
}
EGL_EXPORT int32_t THREE(void* window, MTBitmap** bitmap, EglProgress progress) {
    (void)window;
    (void)progress;
    return erase_blue(bitmap);
}
#endif

#if VARIANT == 7
EGL_EXPORT int32_t NULLRESULT(void* window, MTBitmap** bitmap, EglProgress progress) {
    (void)window;
    (void)progress;
    mtgdi_free(*bitmap); /* and hands back nothing */
    *bitmap = 0;
    return EGL_OK;
}
EGL_EXPORT int32_t FOREIGN(void* window, MTBitmap** bitmap, EglProgress progress) {
    static char stranger[64];
    (void)window;
    (void)progress;
    *bitmap = (MTBitmap*)stranger;
    return EGL_OK;
}
EGL_EXPORT int32_t FAILING(void* window, MTBitmap** bitmap, EglProgress progress) {
    (void)window;
    (void)bitmap;
    if (progress) {
        int32_t abort_flag = 0;
        progress(50, &abort_flag);
        if (abort_flag == -1)
            return EGL_UNCHANGED;
    }
    return EGL_FAILED;
}
EGL_EXPORT int32_t GETLASTERROR(char* buffer, int32_t size) {
    return copy_text("ディスクが一杯です", buffer, size);
}
#endif

/* The interface of a Muralto effect library ("*.egl"), for authors of new ones.
 *
 * An effect library is a shared object placed beside the program (or in
 * $XDG_DATA_HOME/muralto/system/) and linked against libmtgdi, whose header mtgdi.h sits
 * beside this one. It exports, with C linkage and these exact names:
 *
 *   GETLIBINFO(kind, buffer, size)
 *     kind 0: return 0 (anything else makes the host unload the library);
 *     kind 1: copy the library's information text (its title first) into buffer;
 *     kind 2: return n, the number of effects;
 *     kind 2 + k (1 <= k <= n): copy the display name of effect k into buffer.
 *   INDEXOFNAME(k, buffer, size)
 *     1 <= k <= n and buffer not null: copy the export name of effect k into buffer;
 *     otherwise copy nothing.
 *   one function per effect, under its export name, of type EglEffect.
 *
 * Copying writes at most size bytes and then a 0 byte (the host passes a 256-byte buffer
 * and size 255). Texts are UTF-8. Names are matched by the host without regard to ASCII
 * letter case; a display name offered by an earlier library wins.
 *
 * An effect receives the address of the host's bitmap. It takes that bitmap over and,
 * before returning, stores there the bitmap of the result, which may be another bitmap of
 * another size or format (made with mtgdi; the host frees it). A library whose result is a
 * new bitmap frees the one it was given. No C++ exception may leave an export: a failure
 * is told by the result, EGL_UNCHANGED with the untouched picture handed back, or
 * EGL_FAILED with a message the host reads from the optional export GETLASTERROR. A null
 * or foreign bitmap handed back is ignored by the host, which keeps its own picture. */
#ifndef MURALTO_EFFECTFUNC_H
#define MURALTO_EFFECTFUNC_H

#include "mtgdi.h"

#include <stdint.h>

#ifdef __cplusplus
#define EGL_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define EGL_EXPORT __attribute__((visibility("default")))
#endif

enum {
    EGL_OK = 0,        /* the result is in the bitmap variable */
    EGL_UNCHANGED = 1, /* a failure; the picture was handed back as it came */
    EGL_FAILED = 2     /* a failure the host reports, with GETLASTERROR's message */
};

/* The host's progress callback, or null: percent done; store -1 in *abort to be asked to
 * stop (the host's own windows pass none). */
typedef int32_t (*EglProgress)(int32_t percent, int32_t* abort);

typedef int32_t (*EglGetLibInfo)(int32_t kind, char* buffer, int32_t size);
typedef int32_t (*EglIndexOfName)(int32_t index, char* buffer, int32_t size);
/* window: a window of the host, or null; the delivered effects ignore it. */
typedef int32_t (*EglEffect)(void* window, MTBitmap** bitmap, EglProgress progress);
/* Copies the message of the calling thread's last EGL_FAILED into buffer. */
typedef int32_t (*EglLastError)(char* buffer, int32_t size);

#endif

/* mtgdi: the bitmap objects shared by the program, the effect libraries and the
 * picture-loader plug-ins. A plain C interface so that a bitmap made on one side of a
 * library boundary can be read, changed and freed on the other. Rows are addressed top row
 * first; each row is padded to four bytes as in a device-independent bitmap. */
#ifndef MTGDI_H
#define MTGDI_H

#include <stddef.h>
#include <stdint.h>

#if defined(MTGDI_BUILD)
#define MTGDI_API __attribute__((visibility("default")))
#else
#define MTGDI_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MTBitmap MTBitmap; /* what the design calls HBITMAP */

/* Pixel formats: bits per pixel, 15 for 5-5-5 in 16-bit words, and MT_DDB for the
 * device-dependent format, which is 32 bits per pixel. */
enum {
    MT_PF1 = 1,
    MT_PF4 = 4,
    MT_PF8 = 8,
    MT_PF15 = 15,
    MT_PF16 = 16,
    MT_PF24 = 24,
    MT_PF32 = 32,
    MT_DDB = 100
};

/* Result codes. */
enum {
    MT_OK = 0,
    MT_ERR_ARGUMENT = 1,    /* a bad argument (null pointer, unknown format, bad size) */
    MT_ERR_NOT_BMP = 2,     /* the bytes are not a bitmap file */
    MT_ERR_DAMAGED = 3,     /* a bitmap file whose sizes or offsets lie, or that is cut short */
    MT_ERR_UNSUPPORTED = 4, /* a bitmap variant this library does not read */
    MT_ERR_TOO_LARGE = 5,   /* over 16384 pixels a side or over 1 GiB at 24 bits */
    MT_ERR_NO_MEMORY = 6,
    MT_ERR_IO = 7
};

#define MTGDI_MAX_SIDE 16384
#define MTGDI_MAX_24BIT_BYTES (1024u * 1024u * 1024u)

/* Creates a bitmap filled with zero bytes; null on a bad size or format, or no memory.
 * Indexed formats start with a grey-scale colour table of 2^bits entries. */
MTGDI_API MTBitmap* mtgdi_create(int32_t width, int32_t height, int32_t format);
MTGDI_API void mtgdi_free(MTBitmap* bitmap);
MTGDI_API MTBitmap* mtgdi_clone(const MTBitmap* bitmap);
/* 1 when the pointer is a bitmap made by this library and not yet freed, else 0; the
 * pointer itself is never read, so any value may be asked about. */
MTGDI_API int32_t mtgdi_is_bitmap(const MTBitmap* bitmap);
/* A new bitmap of another format with the same picture; null on a bad argument. Converting
 * to an indexed format maps every pixel to the nearest entry of a fixed colour cube. */
MTGDI_API MTBitmap* mtgdi_convert(const MTBitmap* bitmap, int32_t format);

MTGDI_API int32_t mtgdi_width(const MTBitmap* bitmap);
MTGDI_API int32_t mtgdi_height(const MTBitmap* bitmap);
MTGDI_API int32_t mtgdi_format(const MTBitmap* bitmap);
MTGDI_API int32_t mtgdi_bits_per_pixel(const MTBitmap* bitmap);
MTGDI_API int32_t mtgdi_stride(const MTBitmap* bitmap);
MTGDI_API uint8_t* mtgdi_scanline(MTBitmap* bitmap, int32_t y);
MTGDI_API const uint8_t* mtgdi_scanline_const(const MTBitmap* bitmap, int32_t y);

/* Colour table entries are 0x00RRGGBB (blue in the low byte, as in a bitmap file). */
MTGDI_API int32_t mtgdi_palette_size(const MTBitmap* bitmap);
MTGDI_API uint32_t* mtgdi_palette(MTBitmap* bitmap);
MTGDI_API int32_t mtgdi_set_palette_size(MTBitmap* bitmap, int32_t entries);

/* Pixel as 0x00RRGGBB whatever the format (indexed formats through their table). */
MTGDI_API uint32_t mtgdi_get_pixel(const MTBitmap* bitmap, int32_t x, int32_t y);

/* Bitmap files. Reading accepts the core and info headers (12, 40, 52, 56, 108, 124
 * bytes), 1/4/8/16/24/32 bits, uncompressed or with bit-field masks, bottom-up or
 * top-down. Writing produces a bottom-up uncompressed file with a 40-byte header. */
MTGDI_API int32_t mtgdi_read_bmp(const uint8_t* data, size_t size, MTBitmap** out);
MTGDI_API int32_t mtgdi_write_bmp(const MTBitmap* bitmap, uint8_t** out, size_t* size);
MTGDI_API void mtgdi_free_memory(void* block);

/* Movable memory blocks as the picture-loader plug-ins expect them. */
typedef struct MTLocal* MTLocalHandle;
MTGDI_API MTLocalHandle mtgdi_local_alloc(size_t size, int32_t zero);
MTGDI_API void* mtgdi_local_lock(MTLocalHandle handle);
MTGDI_API int32_t mtgdi_local_unlock(MTLocalHandle handle);
MTGDI_API size_t mtgdi_local_size(MTLocalHandle handle);
MTGDI_API MTLocalHandle mtgdi_local_free(MTLocalHandle handle);

MTGDI_API const char* mtgdi_error_text(int32_t code);

#ifdef __cplusplus
}
#endif
#endif

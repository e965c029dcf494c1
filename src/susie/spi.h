/* The picture-loader plug-in interface of Muralto on Linux: the published Susie import
 * plug-in entry points with fixed-width integer types. A plug-in is an ELF shared object
 * named "*.spi" that exports these functions with C linkage; memory blocks it hands back
 * are allocated with mtgdi's local-memory functions, so the host can free them.
 * This header and mtgdi.h are all an outside author needs. */
#ifndef MURALTO_SPI_H
#define MURALTO_SPI_H

#include "platform/mtgdi/mtgdi.h"

#include <stdint.h>

#define SPI_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the entry points. */
enum {
    SPI_SUCCESS = 0,
    SPI_NOT_IMPLEMENTED = -1,
    SPI_ABORT = 1,          /* the progress callback asked to stop */
    SPI_UNKNOWN_FORMAT = 2,
    SPI_BROKEN_DATA = 3,
    SPI_NO_MEMORY = 4,
    SPI_MEMORY_ERROR = 5,
    SPI_FILE_READ_ERROR = 6,
    SPI_INTERNAL_ERROR = 8
};

/* Input flag of GetPictureInfo and GetPicture: the data is in memory. */
#define SPI_INPUT_MEMORY 1u

#pragma pack(push, 1)
typedef struct SpiPictureInfo {
    int32_t left, top;     /* where the picture lies */
    int32_t width, height; /* its size in pixels */
    uint16_t x_density, y_density;
    int16_t colorDepth;    /* bits per pixel */
    MTLocalHandle hInfo;   /* text information, or null */
} SpiPictureInfo;
#pragma pack(pop)

/* Progress: (done, total, user data); a non-zero answer asks the plug-in to stop. */
typedef int32_t (*SpiProgressCallback)(int32_t done, int32_t total, intptr_t userData);

/* 0: interface version ("00IN" for import filters); 1: description; 2, 4, ...: extension
 * patterns ("*.png;*.apng"); 3, 5, ...: their format names. Returns the text's length,
 * 0 when there is no such number. */
typedef int32_t (*SpiGetPluginInfo)(int32_t number, char* buffer, int32_t bufferLength);
/* header: the file's first 2048 bytes, zero-padded when shorter. Non-zero: supported. */
typedef int32_t (*SpiIsSupported)(const char* fileName, const void* header);
typedef int32_t (*SpiGetPictureInfo)(const char* data, intptr_t length, uint32_t flag,
                                     SpiPictureInfo* info);
/* On success *info holds a BITMAPINFOHEADER (40 bytes, little-endian) with its colour
 * table and *bits the rows bottom-up, each padded to four bytes. */
typedef int32_t (*SpiGetPicture)(const char* data, intptr_t length, uint32_t flag,
                                 MTLocalHandle* info, MTLocalHandle* bits,
                                 SpiProgressCallback progress, intptr_t userData);

#ifdef __cplusplus
}
#endif
#endif

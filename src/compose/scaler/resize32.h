/* The entry points of the filtered scaler module, shared by the module and its loader. */
#ifndef RESIZE32_H
#define RESIZE32_H

#include "platform/mtgdi/mtgdi.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Resize32Plan Resize32Plan;

typedef MTBitmap* (*Resize32ScaleFn)(const MTBitmap* source, int32_t width, int32_t height,
                                     int32_t quality);
typedef Resize32Plan* (*Resize32PlanFn)(int32_t sw, int32_t sh, int32_t w, int32_t h,
                                        int32_t quality);
typedef int32_t (*Resize32RowsNeededFn)(const Resize32Plan* plan, int32_t y);
typedef void (*Resize32RowFn)(const Resize32Plan* plan, const MTBitmap* source, MTBitmap* out,
                              int32_t y, void* scratch);
typedef void (*Resize32FreeFn)(Resize32Plan* plan);

#ifdef __cplusplus
}
#endif
#endif

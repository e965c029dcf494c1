#include "Memory.h"

#include <malloc.h>

namespace muralto {

void ReuseFreedMemory() {
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
}

} // namespace muralto

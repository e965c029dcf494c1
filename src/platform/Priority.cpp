#include "Priority.h"

#include <sys/resource.h>

#include <algorithm>

namespace muralto {

int NiceOfProcLevel(uint8_t level) {
    // Class (idle or normal) and the thread's offset within it, as in the level table.
    static const struct {
        int base;
        int offset;
    } levels[12] = {{0, 0}, {10, 9}, {10, 2}, {10, 1}, {10, 0}, {10, -1},
                    {0, 1}, {0, 2},  {0, 1},  {0, 0},  {0, -1}, {0, -2}};
    if (level < 1 || level > 11)
        return 0;
    return std::clamp(levels[level].base + levels[level].offset, -20, 19);
}

void ApplyProcLevel(uint8_t level) {
    if (level < 1 || level > 11)
        return;
    // On Linux this sets the calling (main) thread; threads started later inherit it.
    setpriority(PRIO_PROCESS, 0, NiceOfProcLevel(level));
}

} // namespace muralto

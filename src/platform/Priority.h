#pragma once
// The process's scheduling priority by the program's levels 1..11: levels 1-5 run in the
// background (nice 10) and 6-11 normally (nice 0), each finely adjusted around that.
// Raising the priority above normal is best effort: it needs privileges most users lack.
#include <cstdint>

namespace muralto {

// The nice value a level stands for.
int NiceOfProcLevel(uint8_t level);
void ApplyProcLevel(uint8_t level);

} // namespace muralto

#pragma once
// The process-wide pseudo-random generator: seeded once from the clock, or by a test.
#include <cstdint>

namespace muralto {

// 0 <= result < n; 0 when n <= 0.
int Random(int n);
void SeedRandom(uint64_t seed);

} // namespace muralto

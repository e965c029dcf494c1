#include "Random.h"

#include <chrono>
#include <random>

namespace muralto {

namespace {

std::mt19937_64& Generator() {
    static std::mt19937_64 generator(static_cast<uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    return generator;
}

} // namespace

int Random(int n) {
    if (n <= 0)
        return 0;
    std::uniform_int_distribution<int> pick(0, n - 1);
    return pick(Generator());
}

void SeedRandom(uint64_t seed) {
    Generator().seed(seed);
}

} // namespace muralto

// The launcher stub. Carrying and starting a compiled script is still to be written;
// started now it says so and ends.
#include <cstdio>

int main() {
    std::fprintf(stderr, "dummy: no script attached\n");
    return 1;
}

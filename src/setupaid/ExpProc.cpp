// The install helper. Its functions for shortcuts and installation records, and removal
// with "/U", are still to be written; started now it says so and ends.
#include <cstdio>

int main() {
    std::fprintf(stderr, "setupaid: nothing to do yet\n");
    return 1;
}

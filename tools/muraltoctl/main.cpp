#include "Commands.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    muraltoctl::Arguments args(argv + 1, argv + argc);
    try {
        return muraltoctl::Run(args);
    } catch (const muraltoctl::UserError& e) {
        std::fprintf(stderr, "muraltoctl: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "muraltoctl: %s\n", e.what());
    }
    return 1;
}

#include "Commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv) {
    // D-Bus and the desktop queries want an application object; no window is shown.
    QCoreApplication application(argc, argv);
    muraltoctl::Arguments args(argv + 1, argv + argc);
    try {
        const int status = muraltoctl::Run(args);
        // Everything is written by now: the lists of a large buffer need not be freed
        // one record at a time on the way out.
        std::fflush(nullptr);
        std::_Exit(status);
    } catch (const muraltoctl::UserError& e) {
        std::fprintf(stderr, "muraltoctl: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "muraltoctl: %s\n", e.what());
    }
    return 1;
}

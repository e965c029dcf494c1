#include "Commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    // D-Bus and the desktop queries want an application object; no window is shown.
    QCoreApplication application(argc, argv);
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

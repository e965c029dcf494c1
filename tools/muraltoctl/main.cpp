#include "Commands.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// A session without a runtime folder (a service, a container) is normal for this tool; Qt's
// notice about it would only clutter the output scripts read.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(FilterMessages);
    // D-Bus and the desktop queries want an application object, and text drawing its
    // fonts; no window is shown, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
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

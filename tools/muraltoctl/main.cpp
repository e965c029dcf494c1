#include "Commands.h"
#include "platform/Memory.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

namespace {

// A session without a usable runtime folder (a service, a container, a stale variable) is
// normal for this tool, which keeps nothing there; Qt's notices about it would only clutter
// the output scripts read.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("QStandardPaths: ")) && text.contains("runtime"))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    muralto::ReuseFreedMemory(); // a command's lists are built once and the process ends
    qInstallMessageHandler(FilterMessages);
    // D-Bus and the desktop queries want an application object, and text drawing the
    // graphical one with its fonts; no window is shown, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt would take arguments such as "--plugin" for itself: it sees only the program name.
    const muraltoctl::Arguments args(argv + 1, argv + argc);
    int qtArgc = 1;
    std::unique_ptr<QCoreApplication> application;
    if (muraltoctl::NeedsGuiApplication(args))
        application = std::make_unique<QGuiApplication>(qtArgc, argv);
    else
        application = std::make_unique<QCoreApplication>(qtArgc, argv);
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

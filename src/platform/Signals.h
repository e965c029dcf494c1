#pragma once
// Ends the event loop in an orderly way on SIGTERM, SIGINT and SIGHUP, so the data files
// are saved as at a normal exit.
#include <functional>

class QObject;

namespace muralto {

// The watcher lives as long as its owner.
void QuitOnTerminationSignals(QObject* owner, std::function<void()> quit);

} // namespace muralto

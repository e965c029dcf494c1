#pragma once
// Ends the event loop in an orderly way on SIGTERM, SIGINT and SIGHUP, so the data files
// are saved as at a normal exit.
#include <functional>

namespace muralto {

void QuitOnTerminationSignals(std::function<void()> quit);

} // namespace muralto

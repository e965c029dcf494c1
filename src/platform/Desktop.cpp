#include "Desktop.h"

#include "Paths.h"

namespace muralto {

std::unique_ptr<DesktopBackend> ChooseDesktopBackend() {
    // The real desktop back-ends plug in here; until one matches, only the file is written.
    const std::string chosen = Environment("MURALTO_DESKTOP");
    (void)chosen;
    return std::make_unique<NoDesktop>();
}

} // namespace muralto

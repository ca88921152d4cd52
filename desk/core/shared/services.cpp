#include "desk/core/shared/services.h"

#include "platform/shell/shell.h"

namespace velt::desk {

namespace {
struct Services {
    platform::SystemShell systemShell;
    platform::Shell* shell = nullptr;
};

Services& services() {
    static Services s;
    return s;
}
}  // namespace

platform::Shell& DeskShell() {
    Services& s = services();
    return s.shell ? *s.shell : s.systemShell;
}

void UseShell(platform::Shell* shell) {
    services().shell = shell;
}

}  // namespace velt::desk

#include "desk/core/shared/services.h"

#include <memory>

#include "desk/core/global.h"
#include "platform/help/help.h"
#include "platform/shell/shell.h"

namespace velt::desk {

namespace {
struct Services {
    platform::SystemShell systemShell;
    platform::Shell* shell = nullptr;
    platform::Help* help = nullptr;
    std::unique_ptr<platform::BrowserHelp> browserHelp;
    std::string helpFolder;
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

platform::Help& DeskHelp() {
    Services& s = services();
    if (s.help) return *s.help;
    // The help pages lie in the install folder, which start-up may still change.
    if (!s.browserHelp || s.helpFolder != G().InstallFolder) {
        s.helpFolder = G().InstallFolder;
        s.browserHelp = std::make_unique<platform::BrowserHelp>(s.helpFolder, DeskShell());
    }
    return *s.browserHelp;
}

void UseShell(platform::Shell* shell) {
    services().shell = shell;
    services().browserHelp.reset();
}

void UseHelp(platform::Help* help) {
    services().help = help;
}

}  // namespace velt::desk

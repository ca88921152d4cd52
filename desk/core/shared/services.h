// The shell through which the shared procedures start outside programs and open documents. The
// program uses the system's; a test installs the platform's recording double. (Help goes through
// the forms runtime's help service, which the message boxes' Help buttons use too.)
#pragma once

namespace velt::platform {
class Shell;
}  // namespace velt::platform

namespace velt::desk {

platform::Shell& DeskShell();

// nullptr goes back to the system's shell.
void UseShell(platform::Shell* shell);

}  // namespace velt::desk

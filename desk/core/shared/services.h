// The outside services the shared procedures use: the shell that starts programs and opens
// documents, and the help viewer. The program uses the system's; a test installs the platform's
// recording doubles.
#pragma once

namespace velt::platform {
class Shell;
class Help;
}  // namespace velt::platform

namespace velt::desk {

platform::Shell& DeskShell();
platform::Help& DeskHelp();  // the help pages of InstallFolder, opened through DeskShell

// nullptr goes back to the system's service.
void UseShell(platform::Shell* shell);
void UseHelp(platform::Help* help);

}  // namespace velt::desk

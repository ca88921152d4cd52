// Every desktop test program opens the windows as the program does: the window folders are
// registered in the shared module's window hooks before the first test runs.
#include "desk/windows.h"

namespace {

[[maybe_unused]] const bool windowsRegistered = (velt::desk::RegisterWindows(), true);

}  // namespace

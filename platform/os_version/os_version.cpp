#include "platform/os_version/os_version.h"

namespace velt::platform {

bool GetVersionEx(OsVersionInfo& info) {
    if (info.size != sizeof(OsVersionInfo)) return false;
    info = OsVersionInfo{};
    return true;
}

bool IsWow64Process() {
    return false;
}

}  // namespace velt::platform

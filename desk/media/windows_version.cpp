#include "desk/media/windows_version.h"

namespace velt::desk {

long CompositeVersion(const platform::OsVersionInfo& info) {
    return static_cast<long>(info.platformId) * 100 + static_cast<long>(info.majorVersion) * 10 +
           static_cast<long>(info.minorVersion);
}

long GetCompositeVersion() {
    platform::OsVersionInfo info;
    info.size = sizeof info;
    if (!platform::GetVersionEx(info)) return 0;
    return CompositeVersion(info);
}

}  // namespace velt::desk

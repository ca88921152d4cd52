// One number for the system's version: platform id x 100 + major version x 10 + minor version
// (251 for platform 2, version 5.1; 261 for version 6.1). The CD window tests 251, the CD driver
// installer 251 or more. Here the version record reads as zeros, so the number is 0.
#pragma once

#include "platform/os_version/os_version.h"

namespace velt::desk {

constexpr long kWindowsXp = 251;

long CompositeVersion(const platform::OsVersionInfo& info);
long GetCompositeVersion();

}  // namespace velt::desk

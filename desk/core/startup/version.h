// The running program's version: the settings store keeps it ("Version" section) and the web
// update page is named after it.
#pragma once

namespace velt::desk {

constexpr int AppMajor = 7;
constexpr int AppMinor = 2;
constexpr int AppRevision = 0;

}  // namespace velt::desk

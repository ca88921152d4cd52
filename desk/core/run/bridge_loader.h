// The conversion bridge (libkvxvtpd.so), loaded at run time: the program looks for it in the
// folder "lib" beside its own folder (build/bin/veltdesk -> build/lib/libkvxvtpd.so). The library
// stays loaded for the rest of the program, since it keeps the state of the conversion it runs.
#pragma once

#include <filesystem>

#include "kvxvtpd.h"

namespace velt::desk {

// The bridge's entry points.
struct BridgeCalls {
    int (*BeginConvert)(const char* projectFile) = nullptr;
    int (*GetStatus)(ConvertStatus* status) = nullptr;
    int (*CancelConvert)() = nullptr;
    int (*SetThreshold)() = nullptr;
    int (*SetPatch)(int patch) = nullptr;
    int (*AbandonConvert)() = nullptr;
};

// The entry points, loading the library on first use; nullptr when the library is missing or
// lacks one of them (an invalid install). A failed load is tried again at the next call.
const BridgeCalls* Bridge();

// The library file the program loads.
std::filesystem::path BridgeLibraryPath();

// Tests: load the bridge from `file` from now on ("" goes back to the normal file).
void UseBridgeLibrary(const std::filesystem::path& file);

}  // namespace velt::desk

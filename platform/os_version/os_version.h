// The operating system's version record and the 32-bit-on-64-bit test, as the programs' version
// checks read them. Linux has no counterpart to either: the record reads as all zeros and no
// process runs under a compatibility layer, so code written for those versions takes its
// "other system" branches here.
#pragma once

#include <cstdint>

namespace velt::platform {

// The classic 148-byte version record; `size` must hold 148 when it is read.
struct OsVersionInfo {
    uint32_t size = 148;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0;
    char servicePack[128] = {};
};
static_assert(sizeof(OsVersionInfo) == 148);

// Fills the record (all zeros here). False when `size` is not 148.
bool GetVersionEx(OsVersionInfo& info);

// True when this process runs as a 32-bit program on a 64-bit system (never here).
bool IsWow64Process();

}  // namespace velt::platform

// The choice between the x86-64-v3 and the baseline build, made once per run.
#include "mpeg/simd_path.h"

#include <cstdlib>
#include <cstring>

namespace velt::mpeg {

bool processorRunsV3Build() {
#ifdef VELT_SIMD_DISPATCH
    __builtin_cpu_init();
#if defined(__clang__)
    // clang knows the level's features one by one (every processor with these has the level's
    // others too: LZCNT, MOVBE, F16C).
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
           __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
#else
    return __builtin_cpu_supports("x86-64-v3") != 0;
#endif
#else
    return false;
#endif
}

bool useV3Build() {
    static const bool v3 = [] {
        const char* asked = std::getenv("VELTRANE_SIMD");
        if (asked != nullptr && std::strcmp(asked, "baseline") == 0) return false;
        return processorRunsV3Build();
    }();
    return v3;
}

}  // namespace velt::mpeg

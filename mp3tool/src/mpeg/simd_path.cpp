// The choice between the x86-64-v3 and the baseline build, made once per run.
#include "mpeg/simd_path.h"

#include <cstdlib>
#include <cstring>

namespace velt::mpeg {

bool useV3Build() {
#ifdef VELT_SIMD_DISPATCH
    static const bool v3 = [] {
        const char* asked = std::getenv("VELTRANE_SIMD");
        if (asked != nullptr && std::strcmp(asked, "baseline") == 0) return false;
        __builtin_cpu_init();
        return __builtin_cpu_supports("x86-64-v3") != 0;
    }();
    return v3;
#else
    return false;
#endif
}

}  // namespace velt::mpeg

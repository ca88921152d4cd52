// Which build of the hot loops the decoder runs. On x86-64 they are built twice: for processors
// of the x86-64-v3 level (AVX2 with fused multiply-add) and for the baseline every x86-64
// processor runs (SSE2). The first call decides for the whole run: the v3 build where the
// processor has it, unless the environment variable VELTRANE_SIMD is "baseline" (to test the
// baseline build on any machine, or to compare the two).
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
// The dispatching code is compiled; VELT_V3 marks a function built for x86-64-v3.
#define VELT_SIMD_DISPATCH 1
#define VELT_V3 __attribute__((target("arch=x86-64-v3")))
// The same where products and sums may fuse into one multiply-add (GCC's option for it; clang
// fuses within an expression by default).
#if defined(__clang__)
#define VELT_V3_FUSED VELT_V3
#else
#define VELT_V3_FUSED VELT_V3 __attribute__((optimize("fp-contract=fast")))
#endif
#endif

namespace velt::mpeg {

// True when this build has the x86-64-v3 loops and the processor can run them, whatever
// VELTRANE_SIMD asks.
bool processorRunsV3Build();

// True when the x86-64-v3 build runs (never on other processors).
bool useV3Build();

}  // namespace velt::mpeg

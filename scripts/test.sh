#!/usr/bin/env bash
# Sets up, builds and runs every test; then runs every test binary once more as one process (tests
# must leave no state behind for the next one, which ctest's process per test would hide); then
# runs mpunpack's tests and sweep on its baseline build (VELTRANE_SIMD=baseline); then runs the
# damaged-input sweeps (mpunpack's, and the AIFF and WMA/AAC decoders'), the engine's sweep of
# every numeric project key (engine_sweep, with kvxvtpd64) and the desktop's roads with real
# message boxes (desk_real_box_tests, label "real_boxes") once more in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, together with platform_tests whole (the device
# layers and their test doubles under the sanitizers); only these are built there, in build-asan/.
# VELTRANE_REQUIRE_ALL=1 makes a test whose program, font, sound font or data file is missing fail
# with its name instead of skipping: setup.sh installs all of them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# Every tracked C and C++ file is formatted with the repository's .clang-format; the README
# names the command that formats them.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.c' '*.cpp' '*.h'
else
    find . -path './build*' -prune -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print0
fi | xargs -0 clang-format --dry-run -Werror
bash scripts/build.sh
export VELTRANE_REQUIRE_ALL=1
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600

(
    . build/tests/environment.sh
    failed=()
    for binary in build/tests/*_tests; do
        echo "Running $(basename "$binary") whole"
        "$binary" --gtest_brief=1 || failed+=("$(basename "$binary")")
    done
    if [ ${#failed[@]} -ne 0 ]; then
        echo "Failed when run whole: ${failed[*]}" >&2
        exit 1
    fi
)

# mpunpack's baseline build of its hot loops (what a processor without AVX2 runs; the machine's
# own is chosen otherwise) once more: its tests, with the compliance streams, and the damaged-input
# sweep.
(
    . build/tests/environment.sh
    export VELTRANE_SIMD=baseline
    echo "Running mp3tool_tests and mp3tool_sweep on mpunpack's baseline build"
    build/tests/mp3tool_tests --gtest_brief=1
    build/tests/mp3tool_sweep --gtest_brief=1
)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELT_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target mpunpack mp3tool_sweep platform_sweep \
    kvxvtpd64 engine_sweep desk_real_box_tests platform_tests
ctest --test-dir build-asan -L "sweep|real_boxes" --output-on-failure -j"$(nproc)" --timeout 600
(
    . build-asan/tests/environment.sh
    echo "Running platform_tests whole in the sanitizer build"
    build-asan/tests/platform_tests --gtest_brief=1
)

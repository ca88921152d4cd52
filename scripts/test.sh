#!/usr/bin/env bash
# Sets up, builds and runs every test; then runs the damaged-input sweeps (mpunpack's, and the
# AIFF and WMA/AAC decoders') once more in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer (only the decoders and the sweeps are built there, in build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELT_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target mpunpack mp3tool_sweep platform_sweep
ctest --test-dir build-asan -L sweep --output-on-failure -j"$(nproc)" --timeout 600

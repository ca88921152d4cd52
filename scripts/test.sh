#!/usr/bin/env bash
# Sets up, builds and runs every test; then runs mpunpack's damaged-input sweep once more in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer (only the decoder and the sweep are
# built there, in build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELT_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target mpunpack mp3tool_sweep
ctest --test-dir build-asan -L sweep --output-on-failure -j"$(nproc)" --timeout 600

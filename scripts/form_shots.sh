#!/usr/bin/env bash
# Saves a PNG of every window of the desktop program into a folder (default build/form-shots),
# drawn on Qt's offscreen platform: the wizard once per page, the settings dialog once per tab.
# Usage: bash scripts/form_shots.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/form-shots}")"
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-Release}" >/dev/null
fi
cmake --build build -j4 --target desk_core_tests >/dev/null
. build/tests/environment.sh
VELTRANE_SHOTS_DIR="$out" QT_QPA_PLATFORM=offscreen build/tests/desk_core_tests \
    --gtest_also_run_disabled_tests --gtest_filter='FormShots.*' --gtest_brief=1
echo "Pictures in $out"

#!/usr/bin/env bash
# Configures and builds everything into build/ (Release unless CMAKE_BUILD_TYPE says otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-Release}" >/dev/null
cmake --build build -j"$(nproc)"

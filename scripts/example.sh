#!/usr/bin/env bash
# Sets up, builds and converts the bundled example into a MIDI file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
echo "The example conversion arrives with the transcription engine."

#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the test fixtures need.
# Idempotent: it asks apt only for what is missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    sox libsox-fmt-all midicsv python3-mido
    fluidsynth fluid-soundfont-gm libfluidsynth-dev
    lame mpg123 twolame ffmpeg espeak-ng
    clang clang-format libclang-rt-14-dev
    librtaudio-dev librtmidi-dev libasound2-dev
    qt6-base-dev
    libcdio-dev libcdio-paranoia-dev
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"

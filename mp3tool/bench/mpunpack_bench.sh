#!/usr/bin/env bash
# Decoding speed of mpunpack next to mpg123, on two kinds of material of ten minutes each:
#   music  a piece rendered by fluidsynth from make_piece.py (strings, winds, brass, voices,
#          guitars, piano, bass and drums; it never repeats)
#   tones  a changing tone mix over noise
# each as Layer III (lame, 128 kbit/s joint stereo) and Layer II (twolame, 192 kbit/s), decoded
# by both programs in turn, pinned to one core, once to /dev/null (the decoding alone) and once
# to a WAV file. Each program runs on both of its code paths: mpunpack's x86-64-v3 build and its
# baseline build (VELTRANE_SIMD=baseline, what a processor without AVX2 runs), mpg123's own
# choice and its x86-64 (SSE) decoder (--cpu x86-64). Prints the median user time and the median
# total CPU time (user + system) of each, and the ratios mpg123 / mpunpack of the paired paths
# (v3 against mpg123's choice, baseline against x86-64): 1.0 or more means mpunpack is at least
# as fast.
#
#   bash mp3tool/bench/mpunpack_bench.sh [runs]     (default 5 runs of each program)
#
# Environment: BENCH_CPU (core to pin to, default 1), BENCH_DIR (where the test files are made
# and kept, default build/bench), MPUNPACK (default build/bin/mpunpack), SOUNDFONT (default
# the General MIDI sound font fluid-soundfont-gm installs).
set -euo pipefail
cd "$(dirname "$0")/../.."

runs=${1:-5}
cpu=${BENCH_CPU:-1}
dir=${BENCH_DIR:-build/bench}
mpunpack=${MPUNPACK:-build/bin/mpunpack}
soundfont=${SOUNDFONT:-/usr/share/sounds/sf2/FluidR3_GM.sf2}

for tool in sox lame twolame mpg123 taskset fluidsynth; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -x "$mpunpack" ] || { echo "missing: $mpunpack (build first: scripts/build.sh)" >&2; exit 1; }
[ -s "$soundfont" ] || { echo "missing: $soundfont (scripts/setup.sh installs it)" >&2; exit 1; }
mkdir -p "$dir"

encode() {  # source.wav name
    lame --quiet -b 128 -m j "$1" "$dir/$2-l3.mp3"
    twolame --quiet -b 192 "$1" "$dir/$2-l2.mp2"
    rm -f "$1"
}
if [ ! -s "$dir/music-l3.mp3" ] || [ ! -s "$dir/music-l2.mp2" ]; then
    echo "Rendering the 10-minute piece in $dir ..."
    /usr/bin/python3 mp3tool/bench/make_piece.py "$dir/piece.mid" 600
    fluidsynth -q -ni -F "$dir/music.wav" -r 44100 -g 0.3 "$soundfont" "$dir/piece.mid"
    encode "$dir/music.wav" music
fi
if [ ! -s "$dir/tones-l3.mp3" ] || [ ! -s "$dir/tones-l2.mp2" ]; then
    echo "Making the 10-minute tone mix in $dir ..."
    sox -D -n -r 44100 -c 2 -b 16 "$dir/tones.wav" synth 600 sine 110-1760 sine 330 pinknoise \
        tremolo 2.5 40 gain -9
    encode "$dir/tones.wav" tones
fi

# "user system" CPU seconds of one command, pinned to the chosen core.
cpu_times() {
    local TIMEFORMAT='%3U %3S' t
    t=$( { time taskset -c "$cpu" "$@" >/dev/null 2>&1; } 2>&1 )
    echo "$t"
}

median() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2);
        if (NR % 2) printf "%.3f", v[m]; else printf "%.3f", (v[m] + v[m + 1]) / 2 }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (a > 0 ? b / a : 0) }'
}

wav="$dir/out.wav"
# Median "user total" of `runs` runs of one command.
measure() {
    local users=() totals=() u s
    for ((i = 0; i < runs; i++)); do
        read -r u s < <(cpu_times "$@")
        users+=("$u")
        totals+=("$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.3f", u + s }')")
    done
    echo "$(median "${users[@]}") $(median "${totals[@]}")"
}

printf '%-14s %-9s | %-15s | %-15s | %-15s | %-15s | %-11s | %-11s\n' "" "" "mpunpack v3" \
    "mpunpack base" "mpg123" "mpg123 x86-64" "v3 ratio" "base ratio"
printf '%-14s %-9s |' "file" "output"
for _ in 1 2 3 4; do printf ' %7s %7s |' "user" "total"; done
printf ' %5s %5s | %5s %5s\n' "user" "total" "user" "total"
for input in "$dir"/music-l3.mp3 "$dir"/music-l2.mp2 "$dir"/tones-l3.mp3 "$dir"/tones-l2.mp2; do
    for output in /dev/null "$wav"; do
        read -r vu vt < <(measure env -u VELTRANE_SIMD "$mpunpack" "$input" "$output")
        read -r bu bt < <(measure env VELTRANE_SIMD=baseline "$mpunpack" "$input" "$output")
        read -r mu mt < <(measure mpg123 -q -w "$output" "$input")
        read -r xu xt < <(measure mpg123 --cpu x86-64 -q -w "$output" "$input")
        label=$([ "$output" = /dev/null ] && echo /dev/null || echo "wav file")
        printf '%-14s %-9s | %7s %7s | %7s %7s | %7s %7s | %7s %7s | %5s %5s | %5s %5s\n' \
            "$(basename "$input")" "$label" "$vu" "$vt" "$bu" "$bt" "$mu" "$mt" "$xu" "$xt" \
            "$(ratio "$vu" "$mu")" "$(ratio "$vt" "$mt")" "$(ratio "$bu" "$xu")" "$(ratio "$bt" "$xt")"
    done
done
rm -f "$wav"

#!/usr/bin/env bash
# Decoding speed of mpunpack next to mpg123: a 10-minute Layer III file (lame, 128 kbit/s joint
# stereo) and a 10-minute Layer II file (twolame, 192 kbit/s), each decoded to WAV by both
# programs in turn, pinned to one core. Prints the median CPU time (user + system) of each and
# the ratio mpg123 / mpunpack: 1.0 or more means mpunpack is at least as fast.
#
#   bash mp3tool/bench/mpunpack_bench.sh [runs]     (default 5 runs of each program)
#
# Environment: BENCH_CPU (core to pin to, default 1), BENCH_DIR (where the test files are made
# and kept, default build/bench), MPUNPACK (default build/bin/mpunpack).
set -euo pipefail
cd "$(dirname "$0")/../.."

runs=${1:-5}
cpu=${BENCH_CPU:-1}
dir=${BENCH_DIR:-build/bench}
mpunpack=${MPUNPACK:-build/bin/mpunpack}

for tool in sox lame twolame mpg123 taskset; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -x "$mpunpack" ] || { echo "missing: $mpunpack (build first: scripts/build.sh)" >&2; exit 1; }
mkdir -p "$dir"

# Ten minutes of a changing tone mix over noise: wide-band, never silent, so neither decoder
# gets an easy ride from empty frames.
source_wav="$dir/source.wav"
if [ ! -s "$dir/l3.mp3" ] || [ ! -s "$dir/l2.mp2" ]; then
    echo "Making the 10-minute test files in $dir ..."
    sox -D -n -r 44100 -c 2 -b 16 "$source_wav" synth 600 sine 110-1760 sine 330 pinknoise \
        tremolo 2.5 40 gain -9
    lame --quiet -b 128 -m j "$source_wav" "$dir/l3.mp3"
    twolame --quiet -b 192 "$source_wav" "$dir/l2.mp2"
    rm -f "$source_wav"
fi

# CPU seconds (user + system) of one command, pinned to the chosen core.
cpu_seconds() {
    local TIMEFORMAT='%3U %3S' t
    t=$( { time taskset -c "$cpu" "$@" >/dev/null 2>&1; } 2>&1 )
    awk -v u="${t% *}" -v s="${t#* }" 'BEGIN { printf "%.3f", u + s }'
}

median() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2);
        if (NR % 2) printf "%.3f", v[m]; else printf "%.3f", (v[m] + v[m + 1]) / 2 }'
}

out="$dir/out.wav"
printf '%-10s %14s %14s %8s\n' "file" "mpunpack (s)" "mpg123 (s)" "ratio"
for input in "$dir/l3.mp3" "$dir/l2.mp2"; do
    ours=() theirs=()
    for ((i = 0; i < runs; i++)); do
        ours+=("$(cpu_seconds "$mpunpack" "$input" "$out")")
        theirs+=("$(cpu_seconds mpg123 -q -w "$out" "$input")")
    done
    a=$(median "${ours[@]}")
    b=$(median "${theirs[@]}")
    printf '%-10s %14s %14s %8s\n' "$(basename "$input")" "$a" "$b" \
        "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", (a > 0 ? b / a : 0) }')"
done
rm -f "$out"

#!/usr/bin/env bash
# Sets up, builds and converts the bundled example into a MIDI file.
# The example audio is rendered at run time from a small score (examples/melody.csv) with
# csvmidi and fluidsynth; the conversion runs in build/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh

work=build/example
mkdir -p "$work"
cp examples/melody.vpr "$work/"
csvmidi examples/melody.csv "$work/score.mid"
fluidsynth -ni -q -g 1.0 -r 44100 -T wav -F "$work/melody.wav" \
    /usr/share/sounds/sf2/FluidR3_GM.sf2 "$work/score.mid" >/dev/null 2>&1
rm -f "$work/melody.mid" "$work/status.txt"

(cd "$work" && ../bin/kvxvtpd64 melody.vpr status.txt command.txt >/dev/null)

status=$(cat "$work/status.txt")
outcome=${status%% *}
if [ "${outcome%%.*}" != "100000" ]; then
    echo "The conversion failed: status $outcome (see README.md, Outcome codes)." >&2
    exit 1
fi
notes=$(midicsv "$work/melody.mid" | awk -F', *' '$3 == "Note_on_c" && $6 > 0' | wc -l)
echo "MIDI file: $(pwd)/$work/melody.mid"
echo "Notes: $notes"

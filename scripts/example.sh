#!/usr/bin/env bash
# Sets up, builds and converts the bundled example into a MIDI file.
# The example audio is rendered at run time from a small score (examples/melody.csv) with
# csvmidi and fluidsynth; veltdesk converts it in build/example/ as a command-line conversion.
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
rm -f "$work/melody.mid"

# The desktop program's command-line conversion: no window, no display needed. It appends one
# line to the log and exits with 0 after success, 1 after any failure.
if ! (cd "$work" && ../bin/veltdesk /prf=melody.vpr /log=log.txt); then
    echo "The conversion failed: $(tail -n 1 "$work/log.txt" 2>/dev/null)" >&2
    echo "(see README.md, Outcome codes)" >&2
    exit 1
fi
notes=$(midicsv "$work/melody.mid" | awk -F', *' '$3 == "Note_on_c" && $6 > 0' | wc -l)
echo "$(tail -n 1 "$work/log.txt")"
echo "MIDI file: $(pwd)/$work/melody.mid"
echo "Notes: $notes"

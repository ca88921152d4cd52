#!/usr/bin/env bash
# Converts a fixed set of inputs with the built engine and prints one checksum per MIDI file, so a
# change that must not alter the engine's output can be checked: run it before and after and
# compare (diff) the two listings. Every input is made here from fixed parameters: sox tones and
# melodies (noise with sox's repeatable random numbers), a fluidsynth piano render of the example
# score. Usage: scripts/engine_fixture_check.sh [build dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$(pwd)/${1:-build}/bin"
engine="$bin/kvxvtpd64"
[[ -x "$engine" ]] || { echo "no engine at $engine" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tone() {  # name, sox synth arguments
    local name=$1
    shift
    sox -R -D -n -r 44100 -b 16 -c 1 "$work/$name.wav" "$@" 2>/dev/null
}

timed='[timing]
Tempo=120
TimeSignatureNumerator=4
ChordRes=2'

convert() {  # name, wav name, project text beyond the audio and MIDI file
    local name=$1 wav=$2 extra=$3
    printf '[audio]\nAudioFile=%s\n[midi]\nMidiFile=%s\n%s\n' \
        "$work/$wav.wav" "$work/$name.mid" "$extra" >"$work/$name.vpr"
    rm -f "$work/status.txt" "$work/$name.mid"
    "$engine" "$work/$name.vpr" "$work/status.txt" "$work/command.txt" >/dev/null 2>&1 || true
    local sum="no MIDI file"
    [[ -f "$work/$name.mid" ]] && sum=$(md5sum <"$work/$name.mid" | cut -d' ' -f1)
    printf '%-14s %s  status: %s\n' "$name" "$sum" "$(tr '\n' ' ' <"$work/status.txt" 2>/dev/null | cut -c1-60)"
}

tone a4 synth 2 sine 440 vol 0.5
tone triad synth 2 sine 261.63 sine 329.63 sine 392.00 remix 1-3
tone partials synth 2 sine 130.81 sine 261.63 sine 392.44 remix 1v0.5,2v0.3,3v0.2
scale=()
for f in 293.66 329.63 369.99 392.00 440.00 493.88 554.37 587.33; do
    scale+=(synth 0.5 sine "$f" vol 0.5 :)
done
unset 'scale[${#scale[@]}-1]'
tone scale "${scale[@]}"
tone clicks synth 0.004 square 800 pad 0 0.246 repeat 15
tone glide synth 3 sine 440-494 vol 0.5
tone noisy synth 2 sine 330 synth 2 whitenoise amod 0.9 vol 0.5
# A melody at 100 beats a minute with clear attacks, for the tempo detection.
beats=()
for f in 261.63 329.63 392.00 523.25 392.00 329.63 261.63 329.63 392.00 523.25 392.00 329.63 \
    261.63 329.63 392.00 523.25; do
    beats+=(synth 0.6 pluck "$f" fade 0 0.6 0.3 :)
done
unset 'beats[${#beats[@]}-1]'
tone beats "${beats[@]}"

csvmidi examples/melody.csv "$work/score.mid"
fluidsynth -ni -q -g 1.0 -r 44100 -T wav -F "$work/piano.wav" \
    /usr/share/sounds/sf2/FluidR3_GM.sf2 "$work/score.mid" >/dev/null 2>&1

convert a4 a4 "$timed"
convert triad triad "$timed"
convert partials partials "$timed"
convert scale scale "$timed"
convert drums clicks "$timed
[pitch]
PitchMode=0
[midi]
Channel=10
MidiPat=38"
convert glide-line glide "$timed
[pitch]
PitchMode=1"
convert scale-line scale "$timed
[pitch]
PitchMode=1"
convert poly-piano piano "$timed
[pitch]
PitchMode=6
KeyMin=36
KeyMax=84"
convert piano piano "$timed"
convert filter-piano piano "$timed
[other]
ExePath=$bin/
Filter=0
[midi]
Patch=0"
convert noisy noisy "$timed"
convert tempo-detect beats "[timing]
TempoDetect=1"
convert tempo-piano piano "[timing]
TempoDetect=1"

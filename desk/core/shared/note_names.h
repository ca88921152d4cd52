// Note names: a typed name to its MIDI note number and back, spelled for a key signature. The
// settings dialog, the ensemble editor and the live window all name notes this way.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velt::desk {

// The names of the twelve semitones from C, spelled with sharps.
inline constexpr std::array<const char*, 12> kNoteNames{"C",  "C#", "D",  "D#", "E",  "F",
                                                        "F#", "G",  "G#", "A",  "A#", "B"};

// "C5" → 60 (octaves from 0, so C5 is middle C). Blanks around the name and the case of the
// letters don't matter ("b" after the letter is a flat); the octave is one digit or "10". No range
// check: "B#10" gives 132 and "Cb0" -1. Any text that is no note name gives -1.
int32_t KeyToVal(const std::string& name);

// The name of `note` followed by its octave: 61 is "C#5", or "Db5" when `keySignature` is a flat
// key (below 0; sharp keys, no key and the automatic key 8 spell with sharps). Notes below 0 are
// named as 0.
std::string ValToKey(int32_t note, int32_t keySignature);

}  // namespace velt::desk

// Ensemble files (.ens, older .vpm): the sixteen instrument rows of an ensemble and the drum kit
// of its percussion row, as INI text. Row i's keys are the word and i ("Channel15"): [other]
// Active, [midi] Channel, Track, Patch, [pitch] Poly, KeyMin, KeyMax; then [midi] DrumKit and
// KitName. Rows 0..14 are melodic instruments, row 15 the percussion row on channel 10. The
// ensemble's name is the file's base name.
#pragma once

#include <array>
#include <string>

namespace velt::desk {

constexpr int kEnsembleRows = 16;
constexpr int kPercussionRow = 15;
constexpr int kPercussionChannel = 10;
constexpr int kPolyMin = 1;
constexpr int kPolyMax = 128;

struct EnsembleRow {
    int active = 0;   // 0 or 1
    int channel = 0;  // 1..16, 0 = muted
    int track = 0;    // 0 left, 1 right
    int poly = 10;    // 1..128
    int patch = 0;    // General MIDI program
    int keyMin = 21;  // MIDI notes 0..127
    int keyMax = 108;
};

struct EnsembleFile {
    std::array<EnsembleRow, kEnsembleRows> rows{};
    std::string drumKit;
    std::string kitName;
};

// Reads an ensemble with the defaults of absent keys (row i on channel i + 1, polyphony 10, keys
// 21..108, inactive; the kit "35,38,42,47,57," named "Basic Kit"). Values a row cannot hold are
// held to its ranges: keys 0..127, channel 0..16, polyphony 1..128, track and active 0 or 1, patch
// 0..127. A missing or foreign file gives the defaults.
EnsembleFile ReadEnsembleFile(const std::string& path);

// True when the percussion row is not on channel 10: a file of the older layout, whose melodic
// rows 9..14 used channels 10..15.
bool IsOlderEnsembleLayout(const EnsembleFile& ensemble);

// Moves an older-layout ensemble onto today's channels: rows 9..14 on 11..16, the percussion row
// on 10 with polyphony 3.
void RemapOlderEnsembleLayout(EnsembleFile& ensemble);

// Writes every row's keys in row order (Channel, Poly, Track, Patch, Active, KeyMin, KeyMax),
// then DrumKit and KitName. Keys are replaced in place and the file's other keys stay; the file
// is replaced as a whole, so a failed write (false) leaves it as it was.
bool WriteEnsembleFile(const std::string& path, const EnsembleFile& ensemble);

}  // namespace velt::desk

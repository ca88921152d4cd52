// Drum kit files (.vdk): INI text holding the drum list ([midi] DrumKit) and the percussion
// polyphony ([pitch] Poly; older files Poly0). The kit's name is the file's base name.
#pragma once

#include <string>

namespace velt::desk {

struct DrumKitFile {
    std::string drumList;  // as stored; "35,38,42,47,57," when absent
    int poly = 4;          // held to 1..128
};

// Reads a kit. The drum list comes from the first line anywhere in the file holding "DrumKit="
// (any section, any case); Poly, or Poly0 when Poly reads 0, gives the polyphony (4 when both are
// absent). A missing or foreign file gives the defaults.
DrumKitFile ReadDrumKitFile(const std::string& path);

// Writes [midi] DrumKit and [pitch] Poly, keeping the file's other keys. The file is replaced as
// a whole, so a failed write (false) leaves it as it was.
bool WriteDrumKitFile(const std::string& path, const std::string& drumList, int poly);

}  // namespace velt::desk

// The check of a master MIDI file that new parts are added to: a Standard MIDI File of format 0
// or 1 with a metrical division, read by the platform's bounded MIDI file reader
// (platform/midi_file) and walked event by event to record which channels it uses and the first
// program on each. A damaged or truncated file is refused, never read past its end.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velt::desk {

struct MasterFileAnalysis {
    bool valid = false;
    std::string refusal;                     // the message of a refused file
    std::array<bool, 17> channelUsed{};      // 1..16
    std::array<int32_t, 17> channelProgram;  // 1..16, -1 = none
    MasterFileAnalysis() { channelProgram.fill(-1); }
};

// The messages of the refusals.
inline const std::string kNotMidiFile = "Master file is not a valid MIDI file.";
inline const std::string kFormatRefused = "Only format 0 or format 1 MIDI files accepted.";
inline const std::string kSmpteRefused = "SMPTE format not supported.";

// The analysis of the bytes of a file.
MasterFileAnalysis AnalyseMasterFile(const std::vector<unsigned char>& bytes);

// CheckMasterFile(path): clears ChannelUsed and ChannelProgram, refuses an empty path (false),
// analyses the file and copies its channels into the shared state. A refusal shows its message
// (title "Master File Error", stop icon, help topic DeviceAndFileErrors) and gives false.
bool CheckMasterFile(const std::string& path);

}  // namespace velt::desk

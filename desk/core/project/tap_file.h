// The tap file (.tt) beside a project: no header, a sequence of unsigned 16-bit little-endian
// words, each the interval in milliseconds between two tapped beats; the first beat lies at the
// project's start point. In memory the taps are the same bytes in a string (TempoTaps).
#pragma once

#include <string>

namespace velt::desk {

// The tap file of a project: ".vpr" (exact case) at the end becomes ".tt"; any other name gets
// ".tt" appended ("song.VPR" gives "song.VPR.tt").
std::string TapFileFor(const std::string& projectPath);

struct TapRead {
    bool found = false;  // the file exists and could be read
    std::string taps;    // whole words only: a lone last byte is dropped
    double seconds = 0;  // the intervals summed up to the first 0xFFFF word (the end marker)
};

// Reads a tap file. A missing file, a folder or an unreadable file gives found = false.
TapRead ReadTapFile(const std::string& path);

// Writes `taps` to `path` through a temporary file in the same folder; false with the reason in
// `problem` when it can't be written (an older file is then left as it was).
bool WriteTapFile(const std::string& path, const std::string& taps, std::string& problem);

// Writes a whole file through a temporary file in its folder and a rename over the old one.
bool WriteFileReplacing(const std::string& path, const std::string& content, std::string& problem);

}  // namespace velt::desk

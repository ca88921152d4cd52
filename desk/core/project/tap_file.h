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

// A file written in two steps: the content goes to a temporary file beside `path`; commit renames
// it over `path`. A file never committed is removed when this object goes away.
class PendingFile {
  public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool write(const std::string& path, const std::string& content, std::string& problem);
    bool commit(std::string& problem);

  private:
    std::string path_, temp_;
};

}  // namespace velt::desk

// The optional status file of a run: created empty as soon as the arguments are accepted, so a
// caller polling it sees no line while decoding, and given exactly one line (the outcome, ending
// in a carriage return and a line feed) at the end.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace velt::mp3 {

class StatusFile {
  public:
    StatusFile() = default;
    ~StatusFile() { close(); }
    StatusFile(const StatusFile&) = delete;
    StatusFile& operator=(const StatusFile&) = delete;

    // Creates (truncates) the file; false when it cannot be created (the run goes on without it).
    bool create(const std::string& path);
    // Writes the outcome line (given without its line end) and closes the file.
    void writeOutcome(std::string_view line);
    void close();

  private:
    std::FILE* file_ = nullptr;
};

}  // namespace velt::mp3

// The status file: the one line through which the engine reports progress and outcome.
// Format "%.3f %d %d %d %d %f %f %f %d %d %d %f %f %s", written with "." whatever the locale.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "status/status_values.h"

namespace velt::engine {

// A file descriptor that is closed when its owner goes away.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~FileDescriptor() { reset(); }
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

  private:
    int fd_ = -1;
};

// The status file a run writes: its path and, once written, the file kept open for rewriting.
struct StatusFileState {
    StatusFileState() = default;
    explicit StatusFileState(std::string filePath) : path(std::move(filePath)) {}

    std::string path;            // empty: the run has no status file
    FileDescriptor open;         // the file, open for rewriting in place during the run
    size_t length = 0;           // bytes of the file: the longest line written so far
    bool finalLineLost = false;  // the last line could not be written (a full folder)
};

// The status value of an outcome: 100000 for success, -(type + detail / 1000) otherwise.
float OutcomeStatusValue(int type, int detail);

// Formats the line. The key of the note just started is shown as the nearest key when its bend is
// more than half a half step away. Only the line shows the moved key: the tracker keeps its own
// key, so it can still clear it when the note ends, and every later line shows the same note.
std::string FormatStatusLine(const StatusValues& status);

// Rewrites the status file with the values; an unopenable file is skipped (the next write tries
// again). The first write creates the file whole (written beside it and renamed over it); later
// writes rewrite the open file in place with one write of the line padded with blanks to the
// file's length, so the file never holds a shorter line's stale tail and each write stays cheap.
void WriteStatusLine(StatusFileState& file, const StatusValues& status);

// The last line: the open file is closed and the file replaced whole by exactly the line (no
// padding). A line that reaches no file sets `finalLineLost`.
void WriteFinalStatusLine(StatusFileState& file, const StatusValues& status);

}  // namespace velt::engine

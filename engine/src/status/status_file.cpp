#include "status/status_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>

#include "file_handle.h"
#include "kvxvtpd.h"

namespace velt::engine {

void FileDescriptor::reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
}

namespace {

void appendFixed(std::string& line, double value, int decimals) {
    // Room for any double in fixed notation (up to 309 digits before the point); a value that
    // still does not fit is shown as 0 rather than as a partial text.
    char text[400];
    auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        result = std::to_chars(text, text + sizeof text, 0.0, std::chars_format::fixed, decimals);
    }
    line.append(text, result.ptr);
}

// Replaces the file whole: written beside it and renamed over it, so a reader polling the file
// never sees it half written. Where no file can be made beside it, it is rewritten in place.
// False when the line reached neither (a full or unwritable folder).
bool replaceWhole(const std::string& path, const std::string& line) {
    std::string staged = path + ".new" + std::to_string(getpid());
    {
        FileHandle file(std::fopen(staged.c_str(), "w"));
        if (file && std::fwrite(line.data(), 1, line.size(), file.get()) == line.size() &&
            std::fflush(file.get()) == 0) {
            file.reset();
            if (std::rename(staged.c_str(), path.c_str()) == 0) return true;
        }
    }
    std::remove(staged.c_str());
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;  // the next write tries again
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    return std::fclose(file) == 0 && written;
}

void appendInt(std::string& line, int value) {
    line += std::to_string(value);
}

}  // namespace

float OutcomeStatusValue(int type, int detail) {
    if (type == 0) return KVX_STATUS_FINISHED;
    return static_cast<float>(-(type + detail / 1000.0));
}

std::string FormatStatusLine(const StatusValues& status) {
    // The bend travels in 1/32 half step; beyond half a half step the note is nearer the next key.
    int key = status.startedKey;
    double bend = key == 0 ? 0 : status.startedBend;
    if (bend > 16) {
        key += 1;
        bend -= 32;
    } else if (bend < -16) {
        key -= 1;
        bend += 32;
    }

    std::string line;
    appendFixed(line, status.value, 3);
    for (int field :
         {status.lowestKey, status.highestKey, status.keySignature, status.majorMinor}) {
        line += ' ';
        appendInt(line, field);
    }
    for (double field : {status.tempo, double(status.resolution), double(status.startTime)}) {
        line += ' ';
        appendFixed(line, field, 6);
    }
    for (int field : {status.chordRes, status.numerator, key}) {
        line += ' ';
        appendInt(line, field);
    }
    line += ' ';
    appendFixed(line, bend + 64.0, 6);
    line += ' ';
    appendFixed(line, status.referencePitch, 6);
    line += ' ';
    line += status.chordText.substr(0, 5);
    return line;
}

void WriteStatusLine(StatusFileState& file, const StatusValues& status) {
    if (file.path.empty()) return;
    std::string line = FormatStatusLine(status);

    if (file.open.get() >= 0) {
        // Blanks after the chord overwrite what a longer earlier line left; readers skip them.
        if (line.size() < file.length) line.append(file.length - line.size(), ' ');
        if (pwrite(file.open.get(), line.data(), line.size(), 0) ==
            static_cast<ssize_t>(line.size())) {
            file.length = line.size();
            return;
        }
        file.open.reset();  // try a whole new file from now on
    }
    replaceWhole(file.path, line);
    int fd = ::open(file.path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        file.open.reset(fd);
        file.length = line.size();
    }
}

void WriteFinalStatusLine(StatusFileState& file, const StatusValues& status) {
    file.open.reset();
    if (file.path.empty()) return;
    file.finalLineLost = !replaceWhole(file.path, FormatStatusLine(status));
}

}  // namespace velt::engine

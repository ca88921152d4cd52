#include "status/status_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>

namespace velt::engine {

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
void replaceWhole(const std::string& path, const std::string& line) {
    std::string staged = path + ".new" + std::to_string(getpid());
    {
        FileHandle file(std::fopen(staged.c_str(), "w"));
        if (file && std::fwrite(line.data(), 1, line.size(), file.get()) == line.size() &&
            std::fflush(file.get()) == 0) {
            file.reset();
            if (std::rename(staged.c_str(), path.c_str()) == 0) return;
        }
    }
    std::remove(staged.c_str());
    FileHandle file(std::fopen(path.c_str(), "w"));
    if (!file) return;  // the next write tries again
    std::fwrite(line.data(), 1, line.size(), file.get());
}

void appendInt(std::string& line, int value) {
    line += std::to_string(value);
}

}  // namespace

float OutcomeStatusValue(int type, int detail) {
    if (type == 0) return 100000.0f;
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

void WriteStatus() {
    RunState& state = run();
    RunFiles& files = state.files;
    if (files.statusPath.empty()) return;
    std::string line = FormatStatusLine(state.status);

    if (files.status.get() >= 0) {
        // Blanks after the chord overwrite what a longer earlier line left; readers skip them.
        if (line.size() < files.statusLength) line.append(files.statusLength - line.size(), ' ');
        if (pwrite(files.status.get(), line.data(), line.size(), 0) ==
            static_cast<ssize_t>(line.size())) {
            files.statusLength = line.size();
            return;
        }
        files.status.reset();  // try a whole new file from now on
    }
    replaceWhole(files.statusPath, line);
    int fd = open(files.statusPath.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        files.status.reset(fd);
        files.statusLength = line.size();
    }
}

void WriteFinalStatus() {
    RunState& state = run();
    RunFiles& files = state.files;
    files.status.reset();
    if (files.statusPath.empty()) return;
    replaceWhole(files.statusPath, FormatStatusLine(state.status));
}

}  // namespace velt::engine

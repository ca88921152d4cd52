#include "status/status_file.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>

namespace velt::engine {

namespace {

void appendFixed(std::string& line, double value, int decimals) {
    char text[64];
    auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    line.append(text, result.ptr);
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

// The line is written beside the status file and renamed over it, so a reader polling the file
// never sees it half written. Where no file can be made beside it, it is rewritten in place.
void WriteStatus() {
    RunState& state = run();
    const std::string& path = state.files.statusPath;
    if (path.empty()) return;
    std::string line = FormatStatusLine(state.status);

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

}  // namespace velt::engine

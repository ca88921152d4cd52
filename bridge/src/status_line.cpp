#include "status_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "kvxvtpd.h"

namespace velt::bridge {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Hands out the blank-separated words of a line one by one.
class Words {
  public:
    explicit Words(std::string_view text) : text_(text) {}

    bool next(std::string_view& word) {
        while (position_ < text_.size() && isBlank(text_[position_])) ++position_;
        size_t start = position_;
        while (position_ < text_.size() && !isBlank(text_[position_])) ++position_;
        word = text_.substr(start, position_ - start);
        return !word.empty();
    }

  private:
    std::string_view text_;
    size_t position_ = 0;
};

std::string_view withoutPlus(std::string_view word) {
    if (word.size() > 1 && word[0] == '+' && word[1] != '-') word.remove_prefix(1);
    return word;
}

bool readInt(Words& words, int32_t& value) {
    std::string_view word;
    if (!words.next(word)) return false;
    word = withoutPlus(word);
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

bool readFloat(Words& words, float& value) {
    std::string_view word;
    if (!words.next(word)) return false;
    std::string number(withoutPlus(word));
    for (char& c : number)
        if (c == ',') c = '.';
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    return error == std::errc() && end == number.data() + number.size();
}

bool readChord(Words& words, char (&chord)[6]) {
    std::string_view word;
    if (!words.next(word)) return false;
    size_t length = std::min(word.size(), sizeof chord - 1);
    std::memcpy(chord, word.data(), length);
    std::memset(chord + length, 0, sizeof chord - length);
    return true;
}

}  // namespace

bool parseStatusLine(std::string_view line, ConvertStatus& record) {
    ConvertStatus read = record;
    Words words(line);
    bool complete = readFloat(words, read.status) && readInt(words, read.lowKey) &&
                    readInt(words, read.highKey) && readInt(words, read.keySig) &&
                    readInt(words, read.keyMode) && readFloat(words, read.tempo) &&
                    readFloat(words, read.resolution) && readFloat(words, read.startPoint) &&
                    readInt(words, read.chordRes) && readInt(words, read.timeSigNumerator) &&
                    readInt(words, read.noteKey) && readFloat(words, read.noteBend) &&
                    readFloat(words, read.referencePitch) && readChord(words, read.chord);
    // The engine writes fourteen fields; more means the line is not the engine's (two writes
    // run together, a foreign file), and none of its values can be trusted.
    std::string_view extra;
    if (complete && words.next(extra)) complete = false;
    if (complete) record = read;
    return complete;
}

bool isFinalStatus(float status) {
    return std::trunc(status) == KVX_STATUS_FINISHED || status < 0.0f;
}

}  // namespace velt::bridge

#include "platform/mci/command_words.h"

namespace velt::platform::mci {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

bool splitWords(const std::string& command, std::vector<Word>& words) {
    words.clear();
    size_t at = 0;
    while (at < command.size()) {
        if (blank(command[at])) {
            ++at;
            continue;
        }
        Word word;
        word.begin = at;
        if (command[at] == '"') {
            size_t close = command.find('"', at + 1);
            if (close == std::string::npos) return false;
            if (close + 1 < command.size() && !blank(command[close + 1])) return false;
            word.text = command.substr(at + 1, close - at - 1);
            word.quoted = true;
            at = close + 1;
        } else {
            size_t stop = at;
            while (stop < command.size() && !blank(command[stop])) {
                if (command[stop] == '"') return false;
                ++stop;
            }
            word.text = command.substr(at, stop - at);
            at = stop;
        }
        word.end = at;
        words.push_back(std::move(word));
    }
    return true;
}

std::string lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace velt::platform::mci

// The words of a command string. Words are split at blanks (runs of spaces or tabs). A word in
// double quotes may hold blanks; its quotes are not part of it. A quote that does not open a
// word at its start, a quoted word that is not followed by a blank or the end, and an unclosed
// quote make the string malformed (kMciBadString): a name can never hold a quote.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velt::platform::mci {

struct Word {
    std::string text;
    bool quoted = false;
    size_t begin = 0, end = 0;  // the word's extent in the command, quotes included
};

// The words of `command`; false when the string is malformed.
bool splitWords(const std::string& command, std::vector<Word>& words);

// Lower-case ASCII copy, for comparing keywords.
std::string lowered(const std::string& text);

}  // namespace velt::platform::mci

#include "desk/core/shared/note_names.h"

#include <algorithm>
#include <cctype>

namespace velt::desk {

namespace {

int semitoneOf(char letter) {
    switch (letter) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return -1;
    }
}

}  // namespace

int32_t KeyToVal(const std::string& name) {
    size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return -1;
    std::string text = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (text.size() < 2 || text.size() > 4) return -1;
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    int semitone = semitoneOf(text[0]);
    if (semitone < 0) return -1;
    size_t octaveAt = 1;
    if (text[1] == '#') {
        ++semitone;
        octaveAt = 2;
    } else if (text[1] == 'B') {
        --semitone;
        octaveAt = 2;
    } else if (!std::isdigit(static_cast<unsigned char>(text[1]))) {
        return -1;
    }
    std::string octave = text.substr(octaveAt);
    int32_t number;
    if (octave.size() == 1 && std::isdigit(static_cast<unsigned char>(octave[0])))
        number = octave[0] - '0';
    else if (octave == "10")
        number = 10;
    else
        return -1;
    return semitone + 12 * number;
}

std::string ValToKey(int32_t note, int32_t keySignature) {
    note = std::max(note, 0);  // callers hold notes to 0 and up; a stray negative names C0
    int32_t octave = note / 12;
    std::string name = kNoteNames[static_cast<size_t>(note - 12 * octave)];
    // Flat keys spell the black keys with flats: C# becomes Db.
    if (keySignature < 0 && name.size() > 1 && name[1] == '#') {
        name[0] = name[0] == 'G' ? 'A' : static_cast<char>(name[0] + 1);
        name[1] = 'b';
    }
    return name + std::to_string(octave);
}

}  // namespace velt::desk

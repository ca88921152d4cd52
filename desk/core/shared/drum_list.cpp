#include "desk/core/shared/drum_list.h"

#include <algorithm>
#include <cmath>

#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

namespace {

bool isDrumNote(int note) {
    return note >= kDrumNoteMin && note <= kDrumNoteMax;
}

}  // namespace

std::vector<int> ParseDrumList(const std::string& list) {
    std::vector<int> notes;
    size_t start = 0;
    for (size_t comma = list.find(','); comma != std::string::npos;
         start = comma + 1, comma = list.find(',', start)) {
        const double value = Val(list.substr(start, comma - start));
        // Out-of-range values (huge exponents included) are skipped before any conversion.
        if (!(value > kDrumNoteMin - 1 && value < kDrumNoteMax + 1)) continue;
        const int note = static_cast<int>(std::nearbyint(value));
        if (isDrumNote(note)) notes.push_back(note);
    }
    std::sort(notes.begin(), notes.end());
    notes.erase(std::unique(notes.begin(), notes.end()), notes.end());
    return notes;
}

std::string FormatDrumList(std::vector<int> notes) {
    std::sort(notes.begin(), notes.end());
    notes.erase(std::unique(notes.begin(), notes.end()), notes.end());
    std::string list;
    for (int note : notes) {
        if (isDrumNote(note)) list += std::to_string(note) + ",";
    }
    return list;
}

}  // namespace velt::desk

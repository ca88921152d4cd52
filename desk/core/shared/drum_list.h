// The drum list: the General MIDI percussion notes a drum kit listens for, as text. Every chosen
// note in ascending order, two digits and a comma each ("35,38,42,47,57,"). Projects, ensemble
// files and drum kit files all store it this way.
#pragma once

#include <string>
#include <vector>

namespace velt::desk {

constexpr int kDrumNoteMin = 27;
constexpr int kDrumNoteMax = 87;
inline const std::string kDefaultDrumList = "35,38,42,47,57,";

// The notes of a drum list, ascending, without duplicates. Each piece before a comma is read by
// its leading number (blanks skipped, sign and fraction allowed, 0 when there is none) rounded
// to the nearest whole number, halves to even; notes outside 27..87 are skipped and text after
// the last comma is ignored.
std::vector<int> ParseDrumList(const std::string& list);

// The text of a set of notes: ascending, duplicates and notes outside 27..87 left out.
std::string FormatDrumList(std::vector<int> notes);

}  // namespace velt::desk

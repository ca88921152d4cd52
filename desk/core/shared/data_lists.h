// The lists beside the program: the instrument list "filter.txt" (a line per instrument:
// "N - Name,lowest key,highest key,polyphony") and the percussion names "percussion.txt" (a line
// per drum: "NN - Name"). The windows fill their lists from these lines and find an entry by the
// number it begins with. A missing file reads as no lines.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velt::ui {
class ComboBox;
}

namespace velt::desk {

// The file's non-empty lines without their line ends (LF or CR LF).
std::vector<std::string> ReadDataLines(const std::string& path);

// The list entry of an instrument line: the text before its first ",".
std::string ListEntry(const std::string& line);

// The number a text begins with (Val), rounded to the nearest whole number, halves to even, and
// held to the int range (0 when there is none).
int LeadingNumber(const std::string& text);

struct InstrumentLine {
    std::string entry;                // "40 - Violin"
    int low = 0, high = 0, poly = 0;  // 0 where the line gives none
};

// The first line of the instrument list whose leading number is `program`.
std::optional<InstrumentLine> FindInstrumentLine(const std::string& filterFile, int program);

// The first row of a list whose text begins with the number n, or -1.
int RowWithLeadingNumber(const ui::ComboBox& list, int n);

}  // namespace velt::desk

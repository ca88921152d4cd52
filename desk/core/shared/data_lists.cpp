#include "desk/core/shared/data_lists.h"

#include <cmath>
#include <fstream>

#include "desk/core/shared/text_pieces.h"
#include "desk/ui/ui.h"

namespace velt::desk {

std::vector<std::string> ReadDataLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::string ListEntry(const std::string& line) {
    return line.substr(0, line.find(','));
}

int LeadingNumber(const std::string& text) {
    const double value = std::nearbyint(Val(text));
    if (!(value > -2147483648.0)) return value < 0 ? -2147483647 - 1 : 0;  // -inf, NaN
    if (value > 2147483647.0) return 2147483647;
    return static_cast<int>(value);
}

std::optional<InstrumentLine> FindInstrumentLine(const std::string& filterFile, int program) {
    for (const std::string& line : ReadDataLines(filterFile)) {
        if (LeadingNumber(line) != program) continue;
        InstrumentLine found;
        found.entry = ListEntry(line);
        // The numbers after the first, second and third commas.
        int* fields[] = {&found.low, &found.high, &found.poly};
        size_t at = line.find(',');
        for (int* field : fields) {
            if (at == std::string::npos) break;
            const size_t next = line.find(',', at + 1);
            *field = LeadingNumber(
                line.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
            at = next;
        }
        return found;
    }
    return std::nullopt;
}

int RowWithLeadingNumber(const ui::ComboBox& list, int n) {
    for (int i = 0; i < list.ListCount(); ++i)
        if (LeadingNumber(list.List(i)) == n) return i;
    return -1;
}

}  // namespace velt::desk

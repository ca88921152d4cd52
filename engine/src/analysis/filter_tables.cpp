#include "filter_tables.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/folders/user_folders.h"
#include "run_outcomes.h"

namespace velt::engine {

namespace {

constexpr int kNotGiven = 999;
constexpr int kFirstSlot = 21;
constexpr int kFirstBin = 21;
constexpr int kLastBin = 127;
constexpr int kBinsPerSegment = 107;

// The standard decimal conversion: leading blanks, a sign, digits; no digits give 0.
int leadingInt(const std::string& text) {
    return std::atoi(text.c_str());
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t from = 0;
    while (true) {
        size_t comma = line.find(',', from);
        fields.push_back(
            line.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    return fields;
}

uint32_t readU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

std::optional<FilterIndexLine> FindFilterInstrument(std::istream& index, int program) {
    std::string line;
    int number = 0;
    while (std::getline(index, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (leadingInt(line) != program) continue;
        auto fields = splitFields(line);
        FilterIndexLine found;
        found.lineNumber = number;
        if (fields.size() > 1) found.keyMin = leadingInt(fields[1]);
        if (fields.size() > 2) found.keyMax = leadingInt(fields[2]);
        if (fields.size() > 3) found.polyphony = leadingInt(fields[3]);
        return found;
    }
    return std::nullopt;
}

FilterEntryRange LocateFilterEntry(std::istream& file, int64_t fileSize, int entry) {
    FilterEntryRange range;
    if (fileSize < 1) {
        range.damaged = true;
        return range;
    }
    int64_t countAt = fileSize - 1;
    uint8_t count = 0;
    file.clear();
    if (!file.seekg(countAt) || !file.read(reinterpret_cast<char*>(&count), 1)) {
        range.damaged = true;
        return range;
    }
    int64_t tableAt = countAt - 4 * int64_t{count};
    if (tableAt < 0) {
        range.damaged = true;
        return range;
    }
    if (entry < 1 || entry > count) return range;  // not in the file: nothing to read
    std::vector<uint8_t> offsets(4 * size_t{count});
    if (count > 0 && (!file.seekg(tableAt) ||
                      !file.read(reinterpret_cast<char*>(offsets.data()), offsets.size()))) {
        range.damaged = true;
        return range;
    }
    range.start = readU32(&offsets[4 * (entry - 1)]);
    range.end = entry < count ? int64_t{readU32(&offsets[4 * entry])} : tableAt;
    range.end = std::min(range.end, tableAt);  // offsets beyond the entries stop there
    return range;
}

void PlaceFilterRecords(std::vector<float>& table, const std::vector<uint8_t>& records) {
    table.resize(size_t{kFilterKeySlots} * kFilterSegments * kFilterBins, 0.0f);
    int key = kFirstSlot;
    int segment = 0;  // i * 3 + j
    int bin = kFirstBin;
    for (size_t r = 0; r + 3 <= records.size(); r += 3) {
        if (r > 0) bin += records[r];
        while (bin > kLastBin) {
            bin -= kBinsPerSegment;
            if (++segment == kFilterSegments) {
                segment = 0;
                ++key;
            }
        }
        if (key >= kFilterKeySlots) return;
        table[(size_t{static_cast<size_t>(key)} * kFilterSegments + segment) * kFilterBins + bin] =
            records[r + 1] + records[r + 2] / 256.0f;
    }
}

void LoadFilterTables(const FilterLoadParams& params, FilterChoice& choice, FilterState& filter) {
    filter = FilterState{};

    // The data files lie in ExePath; a project without one (an engine started by hand) means
    // the engine's own folder, and a folder given without its separator gets one.
    const std::string folder =
        params.exePath.empty() ? platform::installFolder() : platform::folderText(params.exePath);
    std::ifstream index(folder + "filter.txt");
    if (!index) {
        choice.filter = -1;
        return;
    }
    std::ifstream templates(folder + "filter.ifd", std::ios::binary);
    if (!templates) {
        choice.filter = -1;
        return;
    }
    templates.seekg(0, std::ios::end);
    int64_t size = static_cast<int64_t>(templates.tellg());

    auto line = FindFilterInstrument(index, params.program);
    if (!line) {
        choice.filter = -1;
        return;
    }
    if (line->keyMin != 0 && choice.keyMin == kNotGiven) choice.keyMin = line->keyMin;
    if (line->keyMax != 0 && choice.keyMax == kNotGiven) choice.keyMax = line->keyMax;
    if (line->polyphony != 0 && choice.pitchMode == kNotGiven) choice.pitchMode = line->polyphony;

    FilterEntryRange range = LocateFilterEntry(templates, size, line->lineNumber);
    if (range.damaged) throw StageFailure{outcome::kFilterDataUnreadable};
    filter.table.assign(size_t{kFilterKeySlots} * kFilterSegments * kFilterBins, 0.0f);
    if (choice.filter == 0 && range.start < range.end) {
        std::vector<uint8_t> records(static_cast<size_t>(range.end - range.start));
        templates.clear();
        if (!templates.seekg(range.start) ||
            !templates.read(reinterpret_cast<char*>(records.data()), records.size())) {
            throw StageFailure{outcome::kFilterDataUnreadable};
        }
        PlaceFilterRecords(filter.table, records);
    }
}

}  // namespace velt::engine

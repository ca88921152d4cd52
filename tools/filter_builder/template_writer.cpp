#include "template_writer.h"

#include <algorithm>
#include <cmath>

namespace velt::tools {

namespace {

constexpr int kFirstSlot = 21;
constexpr int kLastSlot = 109;
constexpr int kFirstBin = 21;
constexpr int kLastBin = 127;
constexpr int kBinsPerSegment = kLastBin - kFirstBin + 1;  // 107
constexpr int kSegments = 9;

// Position of a value along the reader's walk.
int64_t walkIndex(int slot, int segment, int bin) {
    return (int64_t(slot - kFirstSlot) * kSegments + segment) * kBinsPerSegment + (bin - kFirstBin);
}

void appendValue(std::vector<uint8_t>& out, int step, float value) {
    float clamped = std::clamp(value, 0.0f, 255.99f);
    int whole = static_cast<int>(clamped);
    int fraction = static_cast<int>(std::lround((clamped - whole) * 256));
    if (fraction > 255) {
        fraction = 0;
        whole = std::min(whole + 1, 255);
    }
    out.push_back(static_cast<uint8_t>(step));
    out.push_back(static_cast<uint8_t>(whole));
    out.push_back(static_cast<uint8_t>(fraction));
}

}  // namespace

std::vector<uint8_t> encodeEntry(const InstrumentTemplates& templates) {
    std::vector<std::pair<int64_t, float>> values;
    for (const auto& [where, value] : templates) {
        auto [slot, segment, bin] = where;
        if (value <= 0 || slot < kFirstSlot || slot > kLastSlot || segment < 0 ||
            segment >= kSegments || bin < kFirstBin || bin > kLastBin)
            continue;
        values.emplace_back(walkIndex(slot, segment, bin), value);
    }
    std::sort(values.begin(), values.end());
    std::vector<uint8_t> out;
    if (values.empty()) return out;
    // The first record's step is not read: it sits at the walk's start.
    int64_t at = 0;
    appendValue(out, 0, values.front().first == 0 ? values.front().second : 0.0f);
    for (const auto& [index, value] : values) {
        if (index == 0) continue;
        // Steps above 255 go in hops that write 0 over bins that hold nothing.
        while (index - at > 255) {
            at += 255;
            appendValue(out, 255, 0.0f);
        }
        appendValue(out, static_cast<int>(index - at), value);
        at = index;
    }
    return out;
}

std::string buildFilterFile(const std::vector<std::vector<uint8_t>>& entries) {
    std::string file;
    std::vector<uint32_t> offsets;
    for (const auto& entry : entries) {
        offsets.push_back(static_cast<uint32_t>(file.size()));
        file.append(entry.begin(), entry.end());
    }
    for (uint32_t offset : offsets)
        for (int shift = 0; shift < 32; shift += 8)
            file += static_cast<char>((offset >> shift) & 0xFF);
    file += static_cast<char>(std::min<size_t>(entries.size(), 255));
    return file;
}

}  // namespace velt::tools

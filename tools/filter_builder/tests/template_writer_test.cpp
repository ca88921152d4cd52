#include "template_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "analysis/analysis_types.h"
#include "analysis/filter_tables.h"

namespace {

using velt::tools::InstrumentTemplates;

float tableAt(const std::vector<float>& table, int key, int segment, int bin) {
    return table[(size_t(key) * velt::engine::kFilterSegments + segment) *
                     velt::engine::kFilterBins +
                 bin];
}

// What the engine's reader makes of a written file.
std::vector<float> readBack(const std::string& file, int entry) {
    std::istringstream in(file);
    auto range = velt::engine::LocateFilterEntry(in, int64_t(file.size()), entry);
    EXPECT_FALSE(range.damaged);
    std::vector<uint8_t> records(file.begin() + range.start, file.begin() + range.end);
    std::vector<float> table;
    velt::engine::PlaceFilterRecords(table, records);
    return table;
}

TEST(TemplateWriter, TheEnginesReaderGetsBackEveryValue) {
    InstrumentTemplates piano{{{21, 0, 21}, 127.0f},  // the walk's first position
                              {{21, 0, 33}, 64.5f},
                              {{21, 8, 127}, 3.25f},
                              {{60, 4, 72}, 99.0f},    // far along: steps of 255 carry it there
                              {{109, 8, 127}, 1.0f}};  // the walk's last position
    InstrumentTemplates flute{{{72, 1, 84}, 127.0f}, {{72, 2, 96}, 12.75f}};
    std::string file = velt::tools::buildFilterFile(
        {velt::tools::encodeEntry(piano), {}, velt::tools::encodeEntry(flute)});
    EXPECT_EQ(uint8_t(file.back()), 3);

    for (auto [entry, templates] : {std::pair{1, piano}, std::pair{3, flute}}) {
        std::vector<float> table = readBack(file, entry);
        int nonZero = 0;
        for (float v : table) nonZero += v != 0;
        EXPECT_EQ(nonZero, int(templates.size())) << "entry " << entry;
        for (const auto& [where, value] : templates) {
            auto [key, segment, bin] = where;
            EXPECT_NEAR(tableAt(table, key, segment, bin), value, 1.0 / 256) << key << " " << bin;
        }
    }
    for (float v : readBack(file, 2)) ASSERT_EQ(v, 0.0f);
}

TEST(TemplateWriter, ValuesOutsideTheFormatAreLeftOut) {
    InstrumentTemplates odd{{{20, 0, 30}, 5.0f},
                            {{30, 9, 30}, 5.0f},
                            {{30, 0, 128}, 5.0f},
                            {{30, 0, 30}, 0.0f},
                            {{30, 0, 31}, 300.0f}};
    auto records = velt::tools::encodeEntry(odd);
    std::vector<float> table;
    velt::engine::PlaceFilterRecords(table, records);
    EXPECT_NEAR(tableAt(table, 30, 0, 31), 255.99, 0.01);  // clamped to the byte format
    int nonZero = 0;
    for (float v : table) nonZero += v != 0;
    EXPECT_EQ(nonZero, 1);
}

}  // namespace

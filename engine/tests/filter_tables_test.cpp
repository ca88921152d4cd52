#include "analysis/filter_tables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "analysis/filter_matching.h"
#include "run_outcomes.h"
#include "test_support.h"

namespace velt::engine {
namespace {

float tableAt(const std::vector<float>& table, int key, int segment, int bin) {
    return table[(size_t(key) * kFilterSegments + segment) * kFilterBins + bin];
}

// A template file: the entries' record bytes, their offset table and the entry count.
std::string ifdFile(const std::vector<std::vector<uint8_t>>& entries) {
    std::string bytes;
    std::vector<uint32_t> offsets;
    for (const auto& e : entries) {
        offsets.push_back(static_cast<uint32_t>(bytes.size()));
        bytes.append(e.begin(), e.end());
    }
    for (uint32_t o : offsets)
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((o >> (8 * i)) & 0xFF);
    bytes += static_cast<char>(entries.size());
    return bytes;
}

TEST(FilterIndex, FindsTheInstrumentLineAndItsDefaults) {
    const std::string text =
        "0 Acoustic Grand Piano,21,108,10\n"
        "24 Nylon Guitar,40,88,6\r\n"
        "73 Flute,60,96,1";  // the last line has no line end
    struct Case {
        int program;
        int line;
        int keyMin, keyMax, polyphony;
    };
    for (Case c : {Case{0, 1, 21, 108, 10}, Case{24, 2, 40, 88, 6}, Case{73, 3, 60, 96, 1}}) {
        std::istringstream in(text);
        auto found = FindFilterInstrument(in, c.program);
        ASSERT_TRUE(found) << c.program;
        EXPECT_EQ(found->lineNumber, c.line);
        EXPECT_EQ(found->keyMin, c.keyMin);
        EXPECT_EQ(found->keyMax, c.keyMax);
        EXPECT_EQ(found->polyphony, c.polyphony);
    }
    std::istringstream in(text);
    EXPECT_FALSE(FindFilterInstrument(in, 40));
    std::istringstream longLine(std::string(1000, ' ') + "5 Long," + std::string(500, 'x'));
    EXPECT_TRUE(FindFilterInstrument(longLine, 5));  // no line length limit
}

TEST(FilterRecords, PlaceAlongBinsSegmentsAndKeySlots) {
    std::vector<float> table;
    PlaceFilterRecords(table,
                       {9,   1, 128,  // first record: step ignored, slot 21 (0,0) bin 21
                        107, 2, 0,    // same bin, next segment
                        0,   3, 64,   // step 0 overwrites
                        106, 4, 0,    // bin 127 of segment 1
                        1,   5, 0,    // wraps to bin 21 of segment 2
                        255, 6, 0,    // skips segments: 21 + 255 = 276 -> 169 -> 62 of segment 4
                        1,   7});     // a partial record is ignored
    EXPECT_EQ(tableAt(table, 21, 0, 21), 1.5f);
    EXPECT_EQ(tableAt(table, 21, 1, 21), 3.25f);
    EXPECT_EQ(tableAt(table, 21, 1, 127), 4.0f);
    EXPECT_EQ(tableAt(table, 21, 2, 21), 5.0f);
    EXPECT_EQ(tableAt(table, 21, 4, 62), 6.0f);
    EXPECT_EQ(tableAt(table, 21, 4, 63), 0.0f);

    // A walk that runs past key slot 109 stops there.
    std::vector<uint8_t> far;
    for (int i = 0; i < 2000; ++i) far.insert(far.end(), {255, 1, 0});
    PlaceFilterRecords(table, far);
    EXPECT_EQ(table.size(), size_t(kFilterKeySlots) * kFilterSegments * kFilterBins);
}

TEST(FilterEntries, RangesComeFromTheOffsetTable) {
    std::string file = ifdFile({{1, 2, 3}, {4, 5, 6, 7, 8, 9}, {}});
    struct Case {
        int entry;
        int64_t start, end;
    };
    for (Case c : {Case{1, 0, 3}, Case{2, 3, 9}, Case{3, 9, 9}, Case{4, 0, 0}, Case{0, 0, 0}}) {
        std::istringstream in(file);
        auto range = LocateFilterEntry(in, file.size(), c.entry);
        EXPECT_FALSE(range.damaged);
        EXPECT_EQ(range.start, c.start) << c.entry;
        EXPECT_EQ(range.end, c.end) << c.entry;
    }
    // Too short for its own offset table, or empty.
    for (std::string damaged : {std::string("\x05", 1), std::string(), std::string("abc\x01", 4)}) {
        std::istringstream in(damaged);
        EXPECT_TRUE(LocateFilterEntry(in, damaged.size(), 1).damaged);
    }
    // An offset beyond the entries reads nothing.
    std::string beyond = file;
    beyond[9] = char(0xFF);
    std::istringstream in(beyond);
    auto range = LocateFilterEntry(in, beyond.size(), 1);
    EXPECT_GE(range.start, range.end);
}

class LoadFiltersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        params = FilterLoadParams{dir.path().string() + "/", 24};
        choice = FilterChoice{};
        filter = FilterState{};
        velt::test::writeFile(dir / "filter.txt", "0 Piano,21,108,10\n24 Guitar,40,88,6");
        velt::test::writeFile(dir / "filter.ifd", ifdFile({{0, 1, 0}, {0, 2, 0, 1, 3, 0}}));
    }
    velt::test::TempDir dir;
    FilterLoadParams params;
    FilterChoice choice;
    FilterState filter;
};

TEST_F(LoadFiltersTest, LoadsTheInstrumentsTemplatesAndUnsetDefaults) {
    choice.keyMax = 80;  // given by the project: kept
    LoadFilterTables(params, choice, filter);
    EXPECT_EQ(choice.filter, 0);
    EXPECT_EQ(choice.keyMin, 40);
    EXPECT_EQ(choice.keyMax, 80);
    EXPECT_EQ(choice.pitchMode, 6);
    EXPECT_EQ(tableAt(filter.table, 21, 0, 21), 2.0f);
    EXPECT_EQ(tableAt(filter.table, 21, 0, 22), 3.0f);
}

TEST_F(LoadFiltersTest, OtherFilterNumbersKeepTheDefaultsButNoTemplates) {
    choice.filter = 3;
    LoadFilterTables(params, choice, filter);
    EXPECT_EQ(choice.filter, 3);
    EXPECT_EQ(choice.keyMin, 40);
    ASSERT_FALSE(filter.table.empty());
    for (float v : filter.table) ASSERT_EQ(v, 0.0f);
}

TEST_F(LoadFiltersTest, MissingFilesOrInstrumentMeanNoFilter) {
    struct Case {
        const char* name;
        void (*prepare)(const std::filesystem::path&, FilterLoadParams&);
    };
    const Case cases[] = {
        {"no index", [](const std::filesystem::path& d,
                        FilterLoadParams&) { std::filesystem::remove(d / "filter.txt"); }},
        {"no templates", [](const std::filesystem::path& d,
                            FilterLoadParams&) { std::filesystem::remove(d / "filter.ifd"); }},
        {"no such instrument",
         [](const std::filesystem::path&, FilterLoadParams& p) { p.program = 73; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.prepare(dir.path(), params);
        filter.table.assign(3, 1.0f);  // a previous run's table does not survive
        LoadFilterTables(params, choice, filter);
        EXPECT_EQ(choice.filter, -1);
        EXPECT_EQ(choice.keyMin, 999);
        EXPECT_TRUE(filter.table.empty());
    }
}

// A template file too short for its own offset table ends the run; the index's defaults are
// already taken.
TEST_F(LoadFiltersTest, ADamagedTemplateFileThrowsTheUnreadableOutcome) {
    velt::test::writeFile(dir / "filter.ifd", std::string(1, char(200)));
    try {
        LoadFilterTables(params, choice, filter);
        FAIL() << "no failure";
    } catch (const StageFailure& failure) {
        EXPECT_EQ(failure.outcome.type, outcome::kFilterDataUnreadable.type);
        EXPECT_EQ(failure.outcome.detail, outcome::kFilterDataUnreadable.detail);
    }
    EXPECT_EQ(choice.keyMin, 40);
}

// One-hot templates: key k's template holds the value v at bin k in all nine segments. The
// matching gets its parameters, rows, filter state and history cells directly.
class FilterMatching : public ::testing::Test {
  protected:
    void SetUp() override {
        p.keyMin = p.partKeyMin = 40;
        p.keyMax = p.partKeyMax = 80;
        p.topKey = 80;
        p.partSelected = true;
        p.polyphony = 4;
        filter.table.assign(size_t(kFilterKeySlots) * kFilterSegments * kFilterBins, 0);
    }
    void oneHot(int key, float value) {
        for (int s = 0; s < kFilterSegments; ++s)
            filter.table[(size_t(key) * kFilterSegments + s) * kFilterBins + key] = value;
    }
    // Three frames of the same levels fill the spectral history.
    void observe(const std::vector<std::pair<int, float>>& keyLevels) {
        for (int frame = 0; frame < 3; ++frame) {
            std::fill(levels.begin(), levels.end(), 0.0f);
            for (auto [k, v] : keyLevels) levels[k] = v;
            MatchFilterFrame(p, {levels, bends, enabled}, filter, SlotCells{history, 0});
        }
    }
    const HistoryCell& cell(int key) const { return history[size_t(key) * kSlotCount]; }
    int level(int key) const { return cell(key).level; }

    FilterMatchParams p;
    FilterState filter;
    std::vector<float> levels = std::vector<float>(kKeyCount + 2, 0.0f);
    std::vector<float> bends = std::vector<float>(kKeyCount + 2, 0.0f);
    std::vector<uint8_t> enabled = std::vector<uint8_t>(kKeyCount + 2, 1);
    std::vector<HistoryCell> history = std::vector<HistoryCell>(size_t(kKeyCount) * kSlotCount);
};

TEST_F(FilterMatching, TwiceATemplateGivesACoefficientOfTwo) {
    oneHot(60, 63.5f);
    bends[60] = 3.4f;
    observe({{60, 1.0f}});  // observation 127 = 2 x 63.5
    EXPECT_EQ(level(60), 2);
    EXPECT_EQ(cell(60).bend, 3);
    // The key is found, then two iterations find nothing more: two successive small ones stop.
    EXPECT_EQ(filter.lastIterations, 3);
}

TEST_F(FilterMatching, NoCandidateMeansNoNotes) {
    oneHot(60, 63.5f);
    observe({{60, 0.4f}});  // below the candidate floor
    EXPECT_EQ(level(60), 0);
    EXPECT_EQ(filter.lastIterations, 1);
}

TEST_F(FilterMatching, SeveralKeysAreSeparatedWithinThePolyphony) {
    oneHot(50, 10);
    oneHot(57, 10);
    oneHot(64, 10);
    observe({{50, 10.0f}, {57, 5.0f}, {64, 1.0f}});
    EXPECT_EQ(level(50), 127);
    EXPECT_EQ(level(57), 64);  // 63.5 rounded
    EXPECT_EQ(level(64), 13);
    p.polyphony = 1;
    observe({{50, 10.0f}, {57, 5.0f}, {64, 1.0f}});
    EXPECT_EQ(level(50), 127);
    EXPECT_EQ(level(57), 0);
    EXPECT_EQ(level(64), 0);
}

TEST_F(FilterMatching, AnEmptyTableDecidesNothing) {
    filter.table.clear();
    observe({{60, 50.0f}});
    EXPECT_EQ(level(60), 0);
}

}  // namespace
}  // namespace velt::engine

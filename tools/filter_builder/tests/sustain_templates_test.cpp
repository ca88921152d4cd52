// filterbuild on rendered instruments: each template frame is the mean over the note's sustain,
// so for a sustained instrument the three frames of a key agree (from the onset they would climb
// from a fraction of the level to its full height).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "analysis/analysis_types.h"
#include "analysis/filter_tables.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace velt::engine;

TEST(SustainTemplates, SustainedInstrumentsGiveEvenFrames) {
    velt::test::TempDir dir;
    struct Case {
        const char* line;  // filter.txt line: program, lowest and highest key
        int key;
    };
    const Case cases[] = {
        {"73 Flute,60,61,1", 60}, {"40 Violin,55,56,1", 55}, {"71 Clarinet,50,51,1", 51}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        velt::test::writeFile(dir / "filter.txt", std::string(c.line) + "\n");
        fs::path ifd = dir / "filter.ifd";
        auto built = velt::test::runCommand(
            velt::test::shellQuote((velt::test::binDir() / "filterbuild").string()) + " " +
            velt::test::shellQuote((dir / "filter.txt").string()) + " " +
            velt::test::shellQuote(ifd.string()) + " " +
            velt::test::shellQuote((dir / "work").string()));
        ASSERT_EQ(built.exitCode, 0) << built.output;

        std::ifstream file(ifd, std::ios::binary);
        FilterEntryRange range = LocateFilterEntry(file, int64_t(fs::file_size(ifd)), 1);
        ASSERT_FALSE(range.damaged);
        ASSERT_LT(range.start, range.end);
        std::vector<uint8_t> records(size_t(range.end - range.start));
        file.clear();
        file.seekg(range.start);
        file.read(reinterpret_cast<char*>(records.data()), std::streamsize(records.size()));
        FilterState filter;
        PlaceFilterRecords(filter.table, records);

        for (int layer = 0; layer < 3; ++layer) {
            float frames[3];
            for (int j = 0; j < 3; ++j) frames[j] = filter.at(c.key, layer, j, c.key);
            float highest = *std::max_element(frames, frames + 3);
            float lowest = *std::min_element(frames, frames + 3);
            EXPECT_FLOAT_EQ(highest, 127.0f) << "layer " << layer;
            EXPECT_GT(lowest, 0.85f * highest) << "layer " << layer;
        }
    }
}

}  // namespace

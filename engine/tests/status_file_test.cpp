// The status line: format, the rule for the started key and its bend, outcome values, cadence.
#include "status/status_file.h"

#include <iterator>
#include <sstream>

#include "driver/status_cadence.h"
#include "engine_fixtures.h"

namespace velt::engine::test {
namespace {

TEST(StatusLine, DefaultsGiveTheFirstLine) {
    StatusValues status;
    EXPECT_EQ(FormatStatusLine(status),
              "0.000 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 440.000000 N/C");
}

TEST(StatusLine, StartedKeyMovesToTheNearestKey) {
    struct Case {
        int key;
        float bend;
        int shownKey;
        const char* shownBend;
    };
    const Case cases[] = {
        {60, 20, 61, "52.000000"},  {60, -20, 59, "76.000000"}, {60, 16, 60, "80.000000"},
        {60, -16, 60, "48.000000"}, {0, 12, 0, "64.000000"},    {60, 3.5f, 60, "67.500000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key * 100 + c.bend);
        StatusValues status;
        status.startedKey = c.key;
        status.startedBend = c.bend;
        std::string line = FormatStatusLine(status);
        std::string expected(" ");
        expected.append(std::to_string(c.shownKey)).append(" ").append(c.shownBend);
        expected.append(" 440.000000");
        EXPECT_NE(line.find(expected), std::string::npos) << line;
        // Written again, the line shows the same note.
        EXPECT_EQ(FormatStatusLine(status), line);
    }
}

TEST(StatusLine, OutcomeValues) {
    struct Case {
        int type, detail;
        const char* shown;
    };
    const Case cases[] = {{0, 0, "100000.000"}, {1, 0, "-1.000"},  {3, 8, "-3.008"},
                          {5, 22, "-5.022"},    {4, 10, "-4.010"}, {11, 99, "-11.099"}};
    for (const Case& c : cases) {
        StatusValues status;
        status.value = OutcomeStatusValue(c.type, c.detail);
        EXPECT_EQ(statusValue(FormatStatusLine(status)), c.shown);
    }
}

TEST(StatusLine, ChordTextAndNumbersIgnoreTheLocale) {
    StatusValues status;
    status.chordText = "C#m7b9";  // longer than the field holds
    status.tempo = 97.25;
    status.referencePitch = 439.5;
    std::string line = FormatStatusLine(status);
    EXPECT_NE(line.find(" 97.250000 "), std::string::npos);
    EXPECT_NE(line.find(" 439.500000 C#m7b"), std::string::npos);
    EXPECT_EQ(line.back(), 'b');
}

TEST(StatusLine, WriteStatusReplacesTheFileWhole) {
    velt::test::TempDir dir;
    StatusFileState file((dir / "s.txt").string());
    velt::test::writeFile(dir / "s.txt", std::string(500, 'x'));
    WriteStatusLine(file, StatusValues{});
    EXPECT_EQ(velt::test::readFile(dir / "s.txt"),
              "0.000 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 440.000000 N/C");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    StatusFileState nowhere((dir / "no-such-folder" / "s.txt").string());
    WriteStatusLine(nowhere, StatusValues{});  // skipped silently
    EXPECT_LT(nowhere.open.get(), 0);
}

TEST(StatusLine, HugeValuesAreWrittenWhole) {
    for (double tempo : {1e57, 3.5e38, 1e300, -1e308}) {
        StatusValues status;
        status.tempo = tempo;
        std::string line = FormatStatusLine(status);
        EXPECT_EQ(line.find('\0'), std::string::npos) << tempo;
        std::istringstream words(line);
        std::vector<std::string> fields{std::istream_iterator<std::string>(words), {}};
        ASSERT_EQ(fields.size(), 14u) << line;
        EXPECT_DOUBLE_EQ(std::stod(fields[5]), tempo);
        EXPECT_EQ(fields[13], "N/C");
    }
}

// During the run the line is rewritten in place: a shorter line is padded with blanks over the
// longer one before it (no stale digits), the folder holds only the status file, and the final
// line replaces the file with exactly the line.
TEST(StatusLine, RewritesInPlaceThenEndsWithTheExactLine) {
    velt::test::TempDir dir;
    fs::path path = dir / "s.txt";
    StatusFileState file(path.string());
    StatusValues status;
    status.value = 12.5f;
    status.chordText = "C#m7";
    WriteStatusLine(file, status);
    const std::string first = FormatStatusLine(status);
    EXPECT_EQ(velt::test::readFile(path), first);
    status.value = 3.25f;
    status.chordText = "C";
    WriteStatusLine(file, status);
    std::string second = velt::test::readFile(path);
    EXPECT_EQ(second.size(), first.size());
    EXPECT_EQ(second.substr(0, second.find_last_not_of(' ') + 1), FormatStatusLine(status));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    status.value = OutcomeStatusValue(1, 0);
    WriteFinalStatusLine(file, status);
    EXPECT_EQ(velt::test::readFile(path), FormatStatusLine(status));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_LT(file.open.get(), 0) << "the final line closes the file";
}

TEST(StatusCadence, EveryBlockForTwoSecondsThenEighteenTimesASecond) {
    // 100 blocks a second: the first partial second and the next whole one write every block;
    // N = 100 / 18 = 5 from then on.
    StatusCadence cadence(1000);
    int written = 0;
    int block = 0;
    for (int64_t second = 1000; second < 1002; ++second) {
        for (int i = 0; i < 100; ++i, ++block) written += cadence.afterBlock(second);
    }
    EXPECT_EQ(written, 200);
    EXPECT_EQ(cadence.divisor(), 0);
    written = 0;
    for (int i = 0; i < 100; ++i) written += cadence.afterBlock(1002);
    EXPECT_EQ(cadence.divisor(), 5);
    EXPECT_EQ(written, 1 + 99 / 5);  // the measuring block, then counters 105, 110, ..., 195
    written = 0;
    for (int i = 0; i < 90; ++i) written += cadence.afterBlock(1003);
    EXPECT_EQ(written, 18);
}

TEST(StatusCadence, SlowBlocksStillWriteAtLeastEveryBlock) {
    StatusCadence cadence(0);
    for (int64_t second = 1; second < 10; ++second) EXPECT_TRUE(cadence.afterBlock(second));
    EXPECT_EQ(cadence.divisor(), 1);
}

}  // namespace
}  // namespace velt::engine::test

// The engine's outcome codes as the user reads them, the sanity check of status records, and the
// batch log's lines.
#include "desk/core/run/outcome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <regex>

#include "desk/core/run/batch_log.h"
#include "test_support.h"

namespace velt::desk {
namespace {

TEST(Outcome, EveryCodeHasItsTextAndHelpTopic) {
    struct Case {
        float status;
        const char* text;
        long help;
    } cases[] = {
        {-3.023f, "No Audio File specified.  -3.023", 100},
        {-3.006f, "Unable to create MIDI File.  -3.006", 104},
        {-3.008f, "Specified Project does not exist.  -3.008", 99},
        {-3.015f, "Specified Audio File does not exist.  -3.015", 101},
        {-2.016f, "Unable to read Audio File.  -2.016", 102},
        {-2.021f, "Unable to read Audio File.  -2.021", 102},
        {-5.007f, "Unable to write to MIDI File.  -5.007", 105},
        {-5.019f, "Unable to write to MIDI File.  -5.019", 105},
        {-5.020f, "Unable to write to MIDI File.  -5.02", 105},
        {-5.022f, "Unable to write to MIDI File.  -5.022", 105},
        {-1.0f, "User aborted conversion process.  -1", 106},
        {-2.033f, "Error reading from file.  -2.033", 0},
        {-3.009f, "Error opening file.  -3.009", 0},
        {-4.017f, "Wave format not supported or invalid.  -4.017", 103},
        {-5.029f, "Error writing to file.  -5.029", 0},
        {-6.045f, "Out of memory.  -6.045", 107},
        {-7.024f, "Cannot create MIDI File due to timing settings.  -7.024", 113},
        {-8.0f, "The converter stopped without reporting.  -8", 0},
        {-8.001f,
         "The converter could not write its status file: the exchange folder is full or "
         "unwritable.  -8.001",
         0},
        {-9.036f,
         "Insufficient information to detect timing settings. You must manually tap in the "
         "tempo and select a Timing Resolution for this audio file.  -9.036",
         167},
        {-10.068f, "  -10.068", 0},
        {-0.5f, "  -0.5", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OutcomeMessage m = DescribeOutcome(c.status);
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.helpTopic, c.help);
    }
}

TEST(Outcome, ImplausibleRecordsAreRefused) {
    const ConvertStatus good = {37.5f, 40, 72, -3, 1, 96.5f, 2, 0.25f, 4, 4, 0, 64, 441.5f, "Cm"};
    EXPECT_TRUE(PlausibleStatus(good));
    ConvertStatus first = {0, 128, -1, 8, 0, 120, -1, 0, 0, 0, 0, 64, 440, "N/C"};
    EXPECT_TRUE(PlausibleStatus(first));
    ConvertStatus done = good;
    done.status = 100000;
    EXPECT_TRUE(PlausibleStatus(done));
    done.status = -5.022f;
    EXPECT_TRUE(PlausibleStatus(done));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        void (*spoil)(ConvertStatus&, float, float);
    } cases[] = {
        {"status NaN", [](ConvertStatus& r, float n, float) { r.status = n; }},
        {"status huge", [](ConvertStatus& r, float, float) { r.status = 1e30f; }},
        {"status far below", [](ConvertStatus& r, float, float) { r.status = -1e30f; }},
        {"tempo NaN", [](ConvertStatus& r, float n, float) { r.tempo = n; }},
        {"tempo huge", [](ConvertStatus& r, float, float) { r.tempo = 1e30f; }},
        {"start infinite", [](ConvertStatus& r, float, float i) { r.startPoint = i; }},
        {"pitch zero", [](ConvertStatus& r, float, float) { r.referencePitch = 0; }},
        {"pitch huge", [](ConvertStatus& r, float, float) { r.referencePitch = 3e9f; }},
        {"key out of range", [](ConvertStatus& r, float, float) { r.lowKey = 4000; }},
        {"key signature", [](ConvertStatus& r, float, float) { r.keySig = 99; }},
        {"mode", [](ConvertStatus& r, float, float) { r.keyMode = 7; }},
        {"numerator", [](ConvertStatus& r, float, float) { r.timeSigNumerator = 2000000; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConvertStatus r = good;
        c.spoil(r, nan, inf);
        EXPECT_FALSE(PlausibleStatus(r));
    }
}

TEST(BatchLog, AppendsOneLinePerCallAndSurvivesAMissingFolder) {
    test::TempDir dir;
    const std::string log = (dir / "log.txt").string();
    ASSERT_TRUE(AppendLogLine(log, "/p/song.vpr", "Completed successfully."));
    ASSERT_TRUE(AppendLogLine(log, "/p/song.vpr", "Specified Audio File does not exist.  -3.015"));
    auto lines = test::splitLines(test::readFile(log));
    ASSERT_EQ(lines.size(), 2u);
    // "yyyy-mm-dd hh:mm:ss  project  text"
    EXPECT_EQ(lines[0].substr(19), "  /p/song.vpr  Completed successfully.");
    EXPECT_TRUE(std::regex_match(lines[0].substr(0, 19),
                                 std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")));
    EXPECT_EQ(lines[1].substr(19), "  /p/song.vpr  Specified Audio File does not exist.  -3.015");
    EXPECT_FALSE(AppendLogLine((dir / "missing" / "log.txt").string(), "/p/a.vpr", "x"));
    EXPECT_FALSE(AppendLogLine("", "/p/a.vpr", "x"));

    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_hour = 23;
    t.tm_min = 5;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    EXPECT_EQ(LogTimeText(std::mktime(&t)), "2026-12-09 23:05:07");
}

}  // namespace
}  // namespace velt::desk

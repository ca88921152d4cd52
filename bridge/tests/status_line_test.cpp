#include "status_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using velt::bridge::isFinalStatus;
using velt::bridge::parseStatusLine;

namespace {

ConvertStatus filledWith(char byte) {
    ConvertStatus record;
    std::memset(&record, byte, sizeof record);
    return record;
}

}  // namespace

TEST(StatusLine, ReadsEveryFieldOfTheEnginesLine) {
    ConvertStatus record = filledWith('\x55');
    ASSERT_TRUE(parseStatusLine(
        "37.125 48 84 -3 1 96.500000 2.000000 0.250000 1 4 61 52.000000 441.250000 Ebm7", record));
    EXPECT_FLOAT_EQ(record.status, 37.125f);
    EXPECT_EQ(record.lowKey, 48);
    EXPECT_EQ(record.highKey, 84);
    EXPECT_EQ(record.keySig, -3);
    EXPECT_EQ(record.keyMode, 1);
    EXPECT_FLOAT_EQ(record.tempo, 96.5f);
    EXPECT_FLOAT_EQ(record.resolution, 2.0f);
    EXPECT_FLOAT_EQ(record.startPoint, 0.25f);
    EXPECT_EQ(record.chordRes, 1);
    EXPECT_EQ(record.timeSigNumerator, 4);
    EXPECT_EQ(record.noteKey, 61);
    EXPECT_FLOAT_EQ(record.noteBend, 52.0f);
    EXPECT_FLOAT_EQ(record.referencePitch, 441.25f);
    EXPECT_EQ(std::memcmp(record.chord, "Ebm7\0\0", 6), 0);
}

TEST(StatusLine, ReadsNumbersWithoutRegardToTheLocaleAndBoundsTheChord) {
    struct Case {
        const char* name;
        const char* line;
        float status;
        float tempo;
        const char* chord;  // 6 bytes as the record must hold them
    };
    const Case cases[] = {
        {"first line",
         "0.000 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 440.000000 N/C", 0.0f,
         120.0f, "N/C\0\0"},
        {"decimal commas", "12,5 128 -1 8 0 98,250000 -1 0 0 0 0 64 440 C", 12.5f, 98.25f,
         "C\0\0\0\0"},
        {"chord cut to five", "100000.000 1 2 3 0 120 -1 0 0 0 0 64 440 Cmaj7add9", 100000.0f,
         120.0f, "Cmaj7"},
        {"blanks and a line end", "  -5.022\t1 2 3 0 120 -1 0 0 0 0 64 440 N/C\r\n", -5.022f,
         120.0f, "N/C\0\0"},
        {"plus signs", "+1.5 +1 2 3 0 120 -1 0 0 0 0 64 440 N/C", 1.5f, 120.0f, "N/C\0\0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConvertStatus record = filledWith('\x55');
        ASSERT_TRUE(parseStatusLine(c.line, record));
        EXPECT_FLOAT_EQ(record.status, c.status);
        EXPECT_FLOAT_EQ(record.tempo, c.tempo);
        EXPECT_EQ(std::memcmp(record.chord, c.chord, 6), 0);
    }
}

TEST(StatusLine, RefusesAShortOrDamagedLineAndLeavesTheRecordAlone) {
    const char* lines[] = {
        "",
        "   ",
        "37.125 48 84 -3",  // torn while written
        "37.125 48 84 -3 1 96.500000 2.000000 0.250000 1 4 61 52.000000 441.250000",  // no chord
        "37.125 48.5 84 -3 1 96.5 2 0.25 1 4 61 52 441.25 C",         // int field with a fraction
        "37x 48 84 -3 1 96.5 2 0.25 1 4 61 52 441.25 C",              // junk in a number
        "37.125 99999999999 84 -3 1 96.5 2 0.25 1 4 61 52 441.25 C",  // int out of range
        "N/C 48 84 -3 1 96.5 2 0.25 1 4 61 52 441.25 C",
        "37.125 48 84 -3 1 96.5 2 0.25 1 4 61 52 441.25 C 7",  // a fifteenth field
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        ConvertStatus record = filledWith('\x55');
        ConvertStatus before = record;
        EXPECT_FALSE(parseStatusLine(line, record));
        EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    }
}

TEST(StatusLine, FinalStatusIsFinishedOrAnOutcomeCode) {
    struct Case {
        float status;
        bool final;
    };
    const Case cases[] = {
        {100000.0f, true},
        {100000.5f, true},
        {99999.99f, false},
        {100001.0f, false},
        {0.0f, false},
        {-0.0f, false},
        {100.0f, false},
        {-1.0f, true},
        {-5.022f, true},
        {-8.0f, true},
        {std::numeric_limits<float>::quiet_NaN(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(isFinalStatus(c.status), c.final);
    }
}

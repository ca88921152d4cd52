// The error table: every code of every group has its text, and codes outside the table fall back
// to the empty text or "unknown error" without overflowing.
#include "framework/error_codes.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace velt::mp3 {
namespace {

TEST(ErrorText, GivesTheTextOfEveryCodeAndTheFallbacks) {
    struct Case {
        int code;
        std::string text;
    };
    const Case cases[] = {
        {-100, "out of memory"},
        {-106, "version mismatch"},
        {-107, ""},
        {-200, "connect timed out"},
        {-214, "ftp error"},
        {-215, ""},
        {-308, "post failed"},
        {-401, "invalid url syntax"},
        {-500, "open failed"},
        {-504, "permission denied"},
        {-510, "unsupported format"},
        {-513, "no such file"},
        {-514, "end of input stream"},
        {-515, ""},
        {-600, "no codec found for this stream"},
        {-601, "sample rate changed"},
        {-602, ""},
        {-700, "invalid frame"},
        {-801, "symbol not found"},
        {-900, "no such property or environment variable"},
        {-901, "invalid property or environment variable type"},
        {-1000, "no such interface"},
        {-1001, ""},
        {-1, "unknown error"},
        {-50, "unknown error"},
        {-1100, "unknown error"},
        {INT_MIN, "unknown error"},
        {0, ""},
        {5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(errorText(c.code), c.text);
    }
}

TEST(ErrorText, EveryGroupIsCompleteUpToItsLastEntry) {
    // Group, count of entries: no entry inside a group may lack its text.
    const int groups[][2] = {{100, 7}, {200, 15}, {300, 9}, {400, 2}, {500, 15},
                             {600, 2}, {700, 1},  {800, 2}, {900, 2}, {1000, 1}};
    int total = 0;
    for (const auto& g : groups) {
        for (int i = 0; i < g[1]; ++i) {
            SCOPED_TRACE(-(g[0] + i));
            EXPECT_FALSE(errorText(-(g[0] + i)).empty());
            ++total;
        }
        EXPECT_TRUE(errorText(-(g[0] + g[1])).empty());
    }
    EXPECT_EQ(total, 56);
}

}  // namespace
}  // namespace velt::mp3

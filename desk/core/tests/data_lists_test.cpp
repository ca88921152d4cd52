// The instrument and percussion lists beside the program: lines, entries and look-ups by the
// number a line begins with.
#include "desk/core/shared/data_lists.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace velt::desk {
namespace {

TEST(DataLists, LinesEntriesAndLeadingNumbers) {
    test::TempDir dir;
    test::writeFile(dir / "list.txt", "40 - Violin,55,103,1\r\n\r\n41 - Viola,48,91\nlast");
    EXPECT_EQ(ReadDataLines((dir / "list.txt").string()),
              (std::vector<std::string>{"40 - Violin,55,103,1", "41 - Viola,48,91", "last"}));
    EXPECT_TRUE(ReadDataLines((dir / "missing.txt").string()).empty());
    EXPECT_EQ(ListEntry("40 - Violin,55,103,1"), "40 - Violin");
    EXPECT_EQ(ListEntry("no comma"), "no comma");
    struct Case {
        std::string text;
        int number;
    };
    for (const Case& c : std::vector<Case>{{"35 - Acoustic Bass Drum", 35},
                                           {" 36.5 x", 36},
                                           {"37.5", 38},
                                           {"Name", 0},
                                           {"-3", -3},
                                           {"9e99", 2147483647}})
        EXPECT_EQ(LeadingNumber(c.text), c.number) << c.text;
}

TEST(DataLists, FindsTheInstrumentLineOfAProgram) {
    test::TempDir dir;
    const auto file = (dir / "filter.txt").string();
    test::writeFile(file,
                    "25 - Guitar,40,88,6\n70 - Bassoon,34\n71 - Clarinet\n25 - Again,1,2,3\n");
    const auto guitar = FindInstrumentLine(file, 25);
    ASSERT_TRUE(guitar);
    EXPECT_EQ(guitar->entry, "25 - Guitar");
    EXPECT_EQ(guitar->low, 40);
    EXPECT_EQ(guitar->high, 88);
    EXPECT_EQ(guitar->poly, 6);
    const auto bassoon = FindInstrumentLine(file, 70);
    ASSERT_TRUE(bassoon);
    EXPECT_EQ(bassoon->low, 34);
    EXPECT_EQ(bassoon->high, 0);
    EXPECT_EQ(bassoon->poly, 0);
    EXPECT_EQ(FindInstrumentLine(file, 71)->entry, "71 - Clarinet");
    EXPECT_FALSE(FindInstrumentLine(file, 72));
    EXPECT_FALSE(FindInstrumentLine((dir / "none.txt").string(), 25));
}

}  // namespace
}  // namespace velt::desk

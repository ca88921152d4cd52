// The drum list text, drum kit files and ensemble files: parsing, defaults, values held to their
// ranges, the older channel layout, and writes that keep the rest of a file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desk/core/shared/drum_kit_file.h"
#include "desk/core/shared/drum_list.h"
#include "desk/core/shared/ensemble_file.h"
#include "platform/profile/profile.h"
#include "test_support.h"

namespace velt::desk {
namespace {

TEST(DrumList, ParsesPiecesBeforeCommas) {
    struct Case {
        std::string list;
        std::vector<int> notes;
    };
    const std::vector<Case> cases = {
        {"35,38,42,47,57,", {35, 38, 42, 47, 57}},
        {"35,38,x,99,42", {35, 38}},  // x reads 0, 99 is no drum, 42 has no comma after it
        {" 36.5,", {36}},             // halves go to even
        {"37.5, 26.6,87.4,87.6,", {27, 38, 87}},
        {"42,42,35,", {35, 42}},  // duplicates and order do not matter
        {"-40,+40,1e300,,", {40}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDrumList(c.list), c.notes) << c.list;
    }
}

TEST(DrumList, FormatsAscendingTwoDigitNotes) {
    EXPECT_EQ(FormatDrumList({42, 35, 38}), "35,38,42,");
    EXPECT_EQ(FormatDrumList({87, 27, 27, 26, 88}), "27,87,");
    EXPECT_EQ(FormatDrumList({}), "");
    EXPECT_EQ(FormatDrumList(ParseDrumList(kDefaultDrumList)), kDefaultDrumList);
}

TEST(DrumKitFile, PolyphonyFromPolyThenPoly0ThenFour) {
    test::TempDir dir;
    struct Case {
        std::string content;
        int poly;
        std::string list;
    };
    const std::vector<Case> cases = {
        {"[midi]\nDrumKit=36,40,\n[pitch]\nPoly=6\nPoly0=2\n", 6, "36,40,"},
        {"[pitch]\nPoly=0\nPoly0=2\n", 2, kDefaultDrumList},
        {"[pitch]\nPoly0=5\n", 5, kDefaultDrumList},
        {"[other]\ndrumkit=44,\n", 4, "44,"},  // any section, any case
        {"[pitch]\nPoly=300\n", 128, kDefaultDrumList},
        {"[pitch]\nPoly=-3\n", 1, kDefaultDrumList},
        {"\x01\x02 binary \xff\n", 4, kDefaultDrumList},
    };
    for (const auto& c : cases) {
        test::writeFile(dir / "kit.vdk", c.content);
        const DrumKitFile kit = ReadDrumKitFile((dir / "kit.vdk").string());
        EXPECT_EQ(kit.poly, c.poly) << c.content;
        EXPECT_EQ(kit.drumList, c.list) << c.content;
    }
    const DrumKitFile missing = ReadDrumKitFile((dir / "none.vdk").string());
    EXPECT_EQ(missing.poly, 4);
    EXPECT_EQ(missing.drumList, kDefaultDrumList);
}

TEST(DrumKitFile, WritesItsKeysAndKeepsTheOthers) {
    test::TempDir dir;
    const auto path = (dir / "My Kit.vdk").string();
    test::writeFile(path, "[other]\nNote=keep me\n[pitch]\nPoly=2\n");
    ASSERT_TRUE(WriteDrumKitFile(path, "35,36,", 7));
    const DrumKitFile kit = ReadDrumKitFile(path);
    EXPECT_EQ(kit.drumList, "35,36,");
    EXPECT_EQ(kit.poly, 7);
    EXPECT_EQ(platform::profile::readString("other", "Note", "", path), "keep me");
    EXPECT_FALSE(WriteDrumKitFile((dir / "no folder" / "k.vdk").string(), "35,", 4));
}

TEST(EnsembleFile, AbsentKeysTakeTheirDefaults) {
    test::TempDir dir;
    const EnsembleFile ensemble = ReadEnsembleFile((dir / "vanished.ens").string());
    for (int i = 0; i < kEnsembleRows; ++i) {
        const EnsembleRow& row = ensemble.rows[i];
        EXPECT_EQ(row.channel, i + 1);
        EXPECT_EQ(row.active, 0);
        EXPECT_EQ(row.poly, 10);
        EXPECT_EQ(row.keyMin, 21);
        EXPECT_EQ(row.keyMax, 108);
    }
    EXPECT_EQ(ensemble.drumKit, kDefaultDrumList);
    EXPECT_EQ(ensemble.kitName, "Basic Kit");
    // Channel15 absent reads as 16: the older layout.
    EXPECT_TRUE(IsOlderEnsembleLayout(ensemble));
}

TEST(EnsembleFile, RowKeysAreReadInTheirSectionsAndHeldToTheirRanges) {
    test::TempDir dir;
    const auto path = (dir / "band.ens").string();
    // CR LF lines; Channel0 under [pitch] is not the row's channel, DrumKit under [other] is found.
    test::writeFile(path,
                    "[pitch]\r\nChannel0=7\r\nPoly1=0\r\nKeyMin1=-5\r\nKeyMax1=200\r\n"
                    "[midi]\r\nChannel1=99\r\nPatch1=40\r\nTrack1=3\r\nChannel15=10\r\n"
                    "[other]\r\nActive1=5\r\nDrumKit=36,\r\n");
    const EnsembleFile ensemble = ReadEnsembleFile(path);
    EXPECT_EQ(ensemble.rows[0].channel, 1);
    const EnsembleRow& row = ensemble.rows[1];
    EXPECT_EQ(row.channel, 16);
    EXPECT_EQ(row.poly, 1);
    EXPECT_EQ(row.keyMin, 0);
    EXPECT_EQ(row.keyMax, 127);
    EXPECT_EQ(row.patch, 40);
    EXPECT_EQ(row.track, 1);
    EXPECT_EQ(row.active, 1);
    EXPECT_EQ(ensemble.drumKit, "36,");
    EXPECT_FALSE(IsOlderEnsembleLayout(ensemble));
}

TEST(EnsembleFile, OlderLayoutMovesRowsNineToFourteenUp) {
    EnsembleFile ensemble;
    for (int i = 0; i < kEnsembleRows; ++i) ensemble.rows[i].channel = i + 1;
    ensemble.rows[kPercussionRow].poly = 10;
    ASSERT_TRUE(IsOlderEnsembleLayout(ensemble));
    RemapOlderEnsembleLayout(ensemble);
    for (int i = 0; i <= 8; ++i) EXPECT_EQ(ensemble.rows[i].channel, i + 1);
    for (int i = 9; i <= 14; ++i) EXPECT_EQ(ensemble.rows[i].channel, i + 2);
    EXPECT_EQ(ensemble.rows[kPercussionRow].channel, 10);
    EXPECT_EQ(ensemble.rows[kPercussionRow].poly, 3);
    EXPECT_FALSE(IsOlderEnsembleLayout(ensemble));
}

TEST(EnsembleFile, SavedRowsReadBackAndOtherKeysStay) {
    test::TempDir dir;
    const auto path = (dir / "Piano and Organ.ens").string();
    test::writeFile(path, "[other]\nComment=mine\n");
    EnsembleFile ensemble;
    for (int i = 0; i < kEnsembleRows; ++i) {
        ensemble.rows[i] = {i % 2, i == 15 ? 10 : (i + 3) % 17, i % 2, 1 + i * 8, i * 7, 30 + i,
                            60 + i};
    }
    ensemble.drumKit = "35,36,";
    ensemble.kitName = "Brushes";
    ASSERT_TRUE(WriteEnsembleFile(path, ensemble));
    const EnsembleFile back = ReadEnsembleFile(path);
    for (int i = 0; i < kEnsembleRows; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.rows[i].active, ensemble.rows[i].active);
        EXPECT_EQ(back.rows[i].channel, ensemble.rows[i].channel);
        EXPECT_EQ(back.rows[i].track, ensemble.rows[i].track);
        EXPECT_EQ(back.rows[i].poly, ensemble.rows[i].poly);
        EXPECT_EQ(back.rows[i].patch, ensemble.rows[i].patch);
        EXPECT_EQ(back.rows[i].keyMin, ensemble.rows[i].keyMin);
        EXPECT_EQ(back.rows[i].keyMax, ensemble.rows[i].keyMax);
    }
    EXPECT_EQ(back.drumKit, "35,36,");
    EXPECT_EQ(back.kitName, "Brushes");
    EXPECT_EQ(platform::profile::readString("other", "Comment", "", path), "mine");

    // The keys come in row order, Channel first; a kit name with a line break is never written.
    const std::string text = test::readFile(path);
    EXPECT_LT(text.find("Channel0="), text.find("Channel1="));
    ensemble.kitName = "two\nlines";
    EXPECT_FALSE(WriteEnsembleFile(path, ensemble));
    EXPECT_EQ(ReadEnsembleFile(path).kitName, "Brushes");
}

// A target that cannot be written (its folder is a file, so even root cannot) refuses the save.
TEST(EnsembleFile, AnUnwritableTargetRefusesTheSave) {
    test::TempDir dir;
    test::writeFile(dir / "plain", "not a folder");
    EXPECT_FALSE(WriteEnsembleFile((dir / "plain" / "x.ens").string(), EnsembleFile{}));
    EXPECT_FALSE(WriteDrumKitFile((dir / "plain" / "x.vdk").string(), "35,", 4));
}

}  // namespace
}  // namespace velt::desk

#include "analysis/chord_naming.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace velt::engine {
namespace {

std::array<int64_t, 12> classes(std::initializer_list<int> pitchClasses, int64_t amount = 100) {
    std::array<int64_t, 12> h{};
    for (int pc : pitchClasses) h[pc] += amount;
    return h;
}

TEST(ChordName, NamesTheBestTriadOrExtensionOfTheKey) {
    struct Case {
        const char* name;
        std::array<int64_t, 12> histogram;
        int keySignature;
        int minor;
        int transpose;
        const char* expected;
    };
    std::array<int64_t, 12> allEqual;
    allEqual.fill(7);
    const Case cases[] = {
        {"empty ring", {}, 0, 0, 0, "N/C"},
        {"all classes equal", allEqual, 0, 0, 0, "N/C"},
        {"C major in C", classes({0, 4, 7}), 0, 0, 0, "C"},
        {"C major with flats", classes({0, 4, 7}), -3, 0, 0, "C"},
        {"D flat with flats", classes({1, 5, 8}), -5, 0, 0, "Db"},
        {"D flat with sharps", classes({1, 5, 8}), 0, 0, 0, "C#"},
        {"A minor in C", classes({9, 0, 4}), 0, 0, 0, "Am"},
        {"A minor in A minor", classes({9, 0, 4}), 0, 1, 0, "Am"},
        {"G seventh", classes({7, 11, 2, 5}), 0, 0, 0, "G7"},
        {"C major seventh", classes({0, 4, 7, 11}), 0, 0, 0, "CM7"},
        {"C sixth", classes({0, 4, 7, 9}), 0, 0, 0, "C6"},
        {"transposed up a tone", classes({0, 4, 7}), 2, 0, 2, "D"},
        {"no key signature spells sharps", classes({6, 10, 1}), 8, 0, 0, "F#"},
        {"huge sums stay exact", classes({0, 4, 7}, int64_t{1} << 40), 0, 0, 0, "C"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChordName(c.histogram, c.keySignature, c.minor, c.transpose), c.expected)
            << c.name;
}

TEST(RingHistogram, FoldsTheRingsKeysIntoPitchClasses) {
    std::vector<HistoryCell> history(size_t(kKeyCount) * kSlotCount);
    auto at = [&](int key, int slot) -> HistoryCell& {
        return history[size_t(key) * kSlotCount + size_t(slot)];
    };
    at(48, 0).level = 5;   // C3
    at(60, 1).level = 7;   // C4: the same class
    at(64, 2).level = 3;   // E4
    at(64, 3).level = 90;  // beyond the last slot
    at(40, 0).level = 80;  // below keyMin
    at(80, 0).level = 80;  // above topKey
    const std::array<int64_t, 12> h = RingHistogram(history, 2, 45, 72);
    EXPECT_EQ(h, (std::array<int64_t, 12>{12, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(RingHistogram(history, -1, 0, kKeyCount - 1), (std::array<int64_t, 12>{}));
}

TEST(NameRingChord, SumsTheRingIntoTheChordTextAndTheKeyTotals) {
    ChordNamingParams p;
    p.keyMin = 28;
    p.topKey = 85;
    p.keySignature = 0;
    std::vector<HistoryCell> history(size_t(kKeyCount) * kSlotCount);
    auto at = [&](int key, int slot) -> HistoryCell& {
        return history[size_t(key) * kSlotCount + size_t(slot)];
    };
    for (int slot = 0; slot <= 2; ++slot)
        for (int key : {57, 60, 64}) at(key, slot).level = 10;
    at(60, 3).level = 1000;  // beyond the ring position: not counted
    std::array<int64_t, 12> totals{};
    std::string chord = "N/C";
    NameRingChord(p, history, 2, totals, chord);
    EXPECT_EQ(chord, "Am");
    EXPECT_EQ(totals[9], 30);
    EXPECT_EQ(totals[0], 30);
    EXPECT_EQ(totals[4], 30);

    struct Case {
        const char* name;
        bool enabled, keyTotals, nameChord;
        const char* chord;
        int64_t a;  // the totals' A after the call
    };
    const Case cases[] = {
        {"not enabled (drum runs)", false, true, true, "N/C", 30},
        {"no key detection", true, false, true, "Am", 30},
        {"timing from the notes: no name", true, true, false, "N/C", 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p.enabled = c.enabled;
        p.keyTotals = c.keyTotals;
        p.nameChord = c.nameChord;
        std::array<int64_t, 12> more = totals;
        chord = "N/C";
        NameRingChord(p, history, 2, more, chord);
        EXPECT_EQ(chord, c.chord);
        EXPECT_EQ(more[9], c.a);
    }
}

}  // namespace
}  // namespace velt::engine

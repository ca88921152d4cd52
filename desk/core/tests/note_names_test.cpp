// Note names both ways: typed names to note numbers, and numbers to names spelled for the key.
#include "desk/core/shared/note_names.h"

#include <gtest/gtest.h>

namespace velt::desk {
namespace {

TEST(NoteNames, TypedNamesToNoteNumbers) {
    const std::pair<const char*, int32_t> names[] = {
        {"C5", 60},  {"  c#4 ", 49}, {"Bb3", 46}, {"bb3", 46},  {"G10", 127}, {"C#10", 121},
        {"E#5", 65}, {"B#10", 132},  {"Cb0", -1}, {"A0", 9},    {"C", -1},    {"C#", -1},
        {"C11", -1}, {"C5x", -1},    {"H5", -1},  {"C#1x", -1}, {"C##5", -1}, {"", -1},
        {"   ", -1}, {"C 5", -1},    {"5C", -1},  {"C-1", -1},  {"Cb10", 119}};
    for (const auto& [name, value] : names) EXPECT_EQ(KeyToVal(name), value) << '"' << name << '"';
}

// The flat rule: a flat key (signature below 0) spells the black keys with flats; sharp keys, no
// key (0) and the automatic key (8) spell them with sharps. The settings dialog passes the key its
// list shows (8 - row, so rows 9..15 are flat), the live window the project's key.
TEST(NoteNames, SpelledForTheKeySignature) {
    struct Case {
        int32_t note, keySignature;
        const char* name;
    } cases[] = {
        {60, 0, "C5"},   {127, 0, "G10"}, {0, 0, "C0"},      {0, -7, "C0"},   {61, 7, "C#5"},
        {61, 1, "C#5"},  {61, 0, "C#5"},  {61, 8, "C#5"},    {61, 9, "C#5"},  {61, -1, "Db5"},
        {61, -7, "Db5"}, {70, 0, "A#5"},  {70, -3, "Bb5"},   {68, -1, "Ab5"}, {66, -2, "Gb5"},
        {63, 8, "D#5"},  {71, -7, "B5"},  {121, -1, "Db10"}, {-5, 0, "C0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ValToKey(c.note, c.keySignature), c.name) << c.note << " in " << c.keySignature;
}

TEST(NoteNames, EveryNoteReadsBackUnderBothSpellings) {
    for (int32_t keySignature : {-7, -1, 0, 3, 8})
        for (int32_t note = 0; note <= 127; ++note)
            EXPECT_EQ(KeyToVal(ValToKey(note, keySignature)), note) << note << " " << keySignature;
}

}  // namespace
}  // namespace velt::desk

// The tonic chord of a test tone: the fifth and the third fold an octave down above 66.
#include <gtest/gtest.h>

#include "desk/core/shared/test_note.h"

namespace velt::desk {
namespace {

TEST(TestTone, TonicChordFoldsHighNotesDown) {
    struct Case {
        int32_t root;
        bool major;
        std::vector<int32_t> notes;
    } cases[] = {
        {60, true, {60, 55, 64}},  {60, false, {60, 55, 63}}, {66, true, {66, 61, 58}},
        {66, false, {66, 61, 57}}, {59, true, {59, 66, 63}},  {63, true, {63, 58, 55}},
        {55, false, {55, 62, 58}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TonicChord(c.root, c.major), c.notes)
            << c.root << (c.major ? " major" : " minor");
}

}  // namespace
}  // namespace velt::desk

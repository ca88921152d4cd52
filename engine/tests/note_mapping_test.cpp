// Keys and velocities of note events as written, from mapping parameters built here.
#include "midi/note_mapping.h"

#include <gtest/gtest.h>

namespace velt::engine {
namespace {

TEST(NoteMapping, KeysAreTransposedFoldedAndMappedForDrums) {
    struct Case {
        const char* name;
        NoteMappingParams params;
        int key, channel, expected;
    };
    NoteMappingParams drums;
    drums.singleKeyMode = true;
    NoteMappingParams up;
    up.transpose = 5;
    NoteMappingParams down;
    down.transpose = -70;
    const Case cases[] = {
        {"as found", {}, 64, 0, 64},
        {"transposed", up, 64, 0, 69},
        {"folded down by octaves", up, 125, 0, 118},
        {"folded up by octaves", down, 60, 0, 2},
        {"drum channel keeps a percussion key", drums, 42, 9, 42},
        {"drum channel maps the rest to the snare", drums, 90, 9, 38},
        {"drums elsewhere play key 60", drums, 42, 3, 60},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MidiNoteKey(c.params, c.key, c.channel), c.expected) << c.name;
}

TEST(NoteMapping, VelocitiesFollowTheCurveTheFixedValuesAndTheLimits) {
    NoteMappingParams curve;
    NoteMappingParams compressed;
    compressed.compressed = true;
    NoteMappingParams fixed;
    fixed.velocityOn = false;
    fixed.velocityOff = false;
    fixed.fixedVelocity = 100;
    EXPECT_EQ(MidiNoteVelocity(curve, 0x90, 127), 127);
    EXPECT_EQ(MidiNoteVelocity(curve, 0x90, 32), 64);  // sqrt(32 / 127) x 127, rounded
    EXPECT_EQ(MidiNoteVelocity(curve, 0x90, 0), 1);    // never 0: that would end the note
    EXPECT_EQ(MidiNoteVelocity(compressed, 0x90, 32), 32);
    EXPECT_EQ(MidiNoteVelocity(compressed, 0x80, 500), 127);
    EXPECT_EQ(MidiNoteVelocity(fixed, 0x90, 10), 100);
    EXPECT_EQ(MidiNoteVelocity(fixed, 0x80, 10), 100);
}

}  // namespace
}  // namespace velt::engine

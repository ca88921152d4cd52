// Project set-up with an instrument filter: the index's defaults fill only what the project
// leaves out, and filter runs stay on keys 21..108.
#include "engine_fixtures.h"

namespace velt::engine::test {
namespace {

class FilterSetUp : public ::testing::Test {
  protected:
    void SetUp() override {
        velt::test::writeFile(dir / "filter.txt", "24 Guitar,40,84,6\n0 Piano,30,90,3");
        // One entry per line; the piano's holds one value at the walk's start.
        velt::test::writeFile(dir / "filter.ifd", std::string("\x00\x01\x00", 3) +
                                                      std::string("\x00\x00\x00\x00", 4) +
                                                      std::string("\x00\x00\x00\x00", 4) + "\x02");
    }
    RunOutcome setUp(const std::string& extra) {
        fs::path project =
            writeProject(dir / "p.vpr",
                         timedProject(wav, dir / "out.mid",
                                      "ExePath=" + dir.path().string() + "/\nFilter=0\n" + extra));
        return setUpProject(project, dir / "status.txt");
    }
    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "sine_a4_44100hz_1s_mono.wav", 44100, 16, 1, "1 sine 440");
};

TEST_F(FilterSetUp, IndexDefaultsFillOnlyWhatTheProjectLeavesOut) {
    struct Case {
        const char* project;
        int keyMin, keyMax, pitchMode;
    };
    const Case cases[] = {
        {"Patch=0\n", 30, 90, 3},
        {"Patch=0\nKeyMin=40\nPitchMode=5\n", 40, 90, 5},
        {"Patch=24\nKeyMax=70\n", 40, 70, 6},
        {"Patch=0\nKeyMax=120\n", 30, 108, 3},  // filter runs stop at 108
        {"Patch=0\nKeyMin=10\n", 21, 90, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        ASSERT_EQ(setUp(c.project).type, 0);
        const RunState& state = run();
        EXPECT_TRUE(state.geo().filterInUse);
        EXPECT_EQ(state.settings().KeyMin, c.keyMin);
        EXPECT_EQ(state.settings().KeyMax, c.keyMax);
        EXPECT_EQ(state.settings().PitchMode, c.pitchMode);
        EXPECT_EQ(state.settings().Poly0, c.pitchMode);
        EXPECT_EQ(state.settings().Compress, 0);
    }
}

TEST_F(FilterSetUp, AnInstrumentNotListedRunsWithoutAFilter) {
    ASSERT_EQ(setUp("Patch=73\n").type, 0);
    EXPECT_FALSE(run().geo().filterInUse);
    EXPECT_EQ(run().settings().Filter, -1);
    EXPECT_EQ(run().settings().KeyMin, 28);
    EXPECT_EQ(run().settings().PitchMode, 30);
}

}  // namespace
}  // namespace velt::engine::test

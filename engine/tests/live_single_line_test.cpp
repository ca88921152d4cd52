// A live single line (PitchMode 1) writes the notes a file run of the same audio writes, on
// rendered instruments whose notes lie low in the range or whose file run itself names a partial:
// the live run measures the same keys and holds them to the same note lengths.

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "engine_fixtures.h"
#include "instrument_scales.h"
#include "live_engine.h"
#include "midicsv_reader.h"
#include "piano_score.h"

namespace velt::engine::test {
namespace {

using namespace std::chrono_literals;

// One live run at file speed: started at once, so that all cases play at the same time.
class LiveLine {
  public:
    LiveLine(const fs::path& folder, const fs::path& wav, const std::string& keys)
        : folder_(folder),
          engine_(wav, folder / "midi.log",
                  writeProject(folder / "live.vpr", "[audio]\nAudioFile=\n[pitch]\n" + keys),
                  folder / "status.txt", folder / "command.txt") {}

    // Waits (bounded) until `notes` note-ons have come and the input reads silent, cancels, and
    // returns the note-ons; the run must end as cancelled.
    std::vector<int> noteOns(size_t notes) {
        const fs::path log = folder_ / "midi.log";
        const fs::path status = folder_ / "status.txt";
        const auto limit = std::chrono::steady_clock::now() + 60s;
        while (engine_.started() && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(5ms);
            if (noteOnKeys(velt::test::splitLines(velt::test::readFile(log))).size() < notes)
                continue;
            const std::string line = velt::test::readFile(status);
            if (!line.empty() && std::atof(line.c_str()) == 0) break;
        }
        velt::test::writeFile(folder_ / "command.txt", "1");
        EXPECT_TRUE(engine_.waitForEnd(60s)) << "the run did not end";
        EXPECT_EQ(statusValue(velt::test::readFile(status)), "-1.000");
        return noteOnKeys(velt::test::splitLines(velt::test::readFile(log)));
    }

  private:
    fs::path folder_;
    LiveEngine engine_;
};

// A scale of the instrument rendered by fluidsynth, mono 16-bit 44.1 kHz as the input device
// takes it.
fs::path renderScale(const fs::path& folder, const std::string& name, int program, int firstKey) {
    fs::path mono = folder / (name + ".wav");
    EXPECT_TRUE(
        velt::test::renderMonoScore(velt::test::scaleScore(firstKey), folder, mono, program));
    return mono;
}

// Cello and English horn scales at the default range and at the instrument's range of
// filter.txt. The live line once measured only from KeyMin + 19 and let a key last six 10 ms
// frames: the cello at 28..85 got keys 38, 40, 43, 45 and 41 below its notes at note changes
// (24 note-ons for 16 notes), at 36..84 keys 43 and 45, and the English horn a 60 and an 81 at
// 52..81 and a 60 at 28..85 that the file run does not write. The file run's own sequence is the
// reference: it names some English horn notes an octave or two up, and live must do the same.
TEST(LiveSingleLine, RenderedScalesGiveTheFileRunsNotes) {
    velt::test::TempDir dir;
    const fs::path cello = renderScale(dir.path(), "cello", 42, 48);
    const fs::path englishHorn = renderScale(dir.path(), "english_horn", 69, 60);
    struct Case {
        const char* name;
        fs::path wav;
        std::string keys;
        bool fileGivesTheScore;  // the file run names exactly the played keys
    };
    const Case cases[] = {
        {"cello, 28..85", cello, "", true},
        {"cello, 36..84", cello, "KeyMin=36\nKeyMax=84\n", true},
        {"English horn, 28..85", englishHorn, "", false},
        {"English horn, 52..81", englishHorn, "KeyMin=52\nKeyMax=81\n", false},
    };
    std::vector<std::unique_ptr<LiveLine>> runs;
    for (const Case& c : cases) {
        fs::path folder = dir / c.name;
        fs::create_directories(folder);
        runs.push_back(std::make_unique<LiveLine>(folder, c.wav, "PitchMode=1\n" + c.keys));
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const fs::path folder = dir / c.name;
        const fs::path midi = folder / "file.mid";
        EngineRun file =
            runEngine(writeProject(folder / "file.vpr",
                                   timedProject(c.wav, midi, "[pitch]\nPitchMode=1\n" + c.keys)),
                      folder / "file-status.txt", folder / "file-command.txt");
        ASSERT_EQ(statusValue(file.status), "100000.000");
        const std::vector<int> fileKeys = velt::test::readMidi(midi).keysInOrder();
        ASSERT_FALSE(fileKeys.empty());
        if (c.fileGivesTheScore) {
            std::vector<int> played;
            for (const velt::test::ScoreNote& n : velt::test::scaleScore(48))
                played.push_back(n.key);
            EXPECT_EQ(fileKeys, played);
        }
        EXPECT_EQ(runs[i]->noteOns(fileKeys.size()), fileKeys);
    }
}

}  // namespace
}  // namespace velt::engine::test

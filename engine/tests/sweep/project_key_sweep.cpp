// Every numeric key of the project file with values far outside its range (1e20, -1e20, beyond
// any integer, infinite, not a number, empty, text, -1) in runs of the built engine: a file run
// (its tempo detected), a live run (file-backed input, logged MIDI output, a cancel waiting in
// the command file) and, for the keys of the audio's layout and range, a raw PCM file. Each run
// must end with exit 0, a status line whose first field is an outcome (100000.000 or -type.detail),
// and nothing on standard error: a sanitizer build reports there and stops the program. Built
// with -DVELT_SANITIZE=ON (scripts/test.sh) this is the sanitizer sweep of the project reading.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "requirements.h"
#include "test_support.h"

namespace velt::engine::sweep {
namespace {

namespace fs = std::filesystem;
using velt::test::readFile;
using velt::test::runCommand;
using velt::test::shellQuote;
using velt::test::writeFile;

// clang-format off
const char* const kNumericKeys[] = {
    "Tracks", "Rate", "BitsPerSample", "EntireAudio", "CropSilence", "StartPoint", "EndPoint",
    "VirtualSR", "ReferencePitch", "Compress", "StereoPan", "KeyMin", "KeyMax", "InputThreshold",
    "OutputThreshold", "Resolution", "MinimumLength", "PauseBetweenNotes", "PitchMode", "Constrain",
    "Channel", "Filter", "Patch", "MidiChan", "MidiPat", "TimeSignatureNumerator",
    "TimeSignatureDenominator", "TempoDetect", "AutoTiming", "Tempo", "Speed", "Transpose",
    "KeySignature", "MajorMinor", "AutoDetectKey", "Gain", "VelocityOn", "VelocityOff",
    "Controller", "Brightness", "PitchBend", "TempoTrack", "ChordRes", "BufferIncrement",
    "AudioDevice", "MidiDevice", "Sensitivity", "Active0", "KeyMin0", "KeyMax0", "Track0", "Poly0",
};
// clang-format on

// Integer keys read 1e20 as 1; the twenty-digit values reach past every integer instead.
const char* const kValues[] = {
    "1e20", "-1e20", "99999999999999999999", "-99999999999999999999", "1e400", "nan", "",
    "text", "-1",
};

// A short file or a cancelled live run takes about a second even with sanitizers; the limit only
// tells a hang from a slow run.
constexpr int kRunSeconds = 120;
// Runs of one key at once (ctest runs the keys side by side too).
constexpr int kParallelRuns = 3;

// The runs each value is tried in: a file run and a live run for every key, a raw PCM file for
// the keys that describe or place the audio.
enum class Base { FileRun, RawFile, Live };

std::vector<Base> basesFor(const std::string& key) {
    for (const char* rawKey :
         {"Tracks", "Rate", "BitsPerSample", "StartPoint", "EndPoint", "EntireAudio"}) {
        if (key == rawKey) return {Base::FileRun, Base::RawFile, Base::Live};
    }
    return {Base::FileRun, Base::Live};
}

const char* baseName(Base base) {
    const char* const names[] = {"file run", "raw PCM file", "live run"};
    return names[static_cast<int>(base)];
}

// 100000.000 (finished) or -type.detail with three digits of detail.
bool isOutcome(const std::string& field) {
    if (field == "100000.000") return true;
    const size_t point = field.find('.');
    auto digits = [&](size_t from, size_t to) {
        return to > from && field.find_first_not_of("0123456789", from) >= to;
    };
    return field.size() > 1 && field[0] == '-' && point != std::string::npos && digits(1, point) &&
           field.size() == point + 4 && digits(point + 1, field.size());
}

struct KeyRun {
    Base base;
    std::string value;
    fs::path folder;
    std::string outcome;  // what went wrong; empty: the run ended as it must
};

class ProjectKeySweep : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        VELT_REQUIRE(velt::test::missingTools({"sox"}));
        // Three plucked notes half a second apart: onsets enough for a tempo. The file run's low
        // rate keeps the analysis short; the file input of a live run hears 44.1 kHz.
        const std::string notes = " synth 0.5 pluck C4 : synth 0.5 pluck E4 : synth 0.5 pluck G4";
        for (const auto& [file, rate] : {std::pair{wav, 11025}, std::pair{liveWav, 44100}}) {
            ASSERT_EQ(runCommand("sox -D -n -r " + std::to_string(rate) + " -c 1 -b 16 " +
                                 shellQuote(file.string()) + notes)
                          .exitCode,
                      0);
        }
        ASSERT_EQ(
            runCommand("sox " + shellQuote(wav.string()) + " -t raw " + shellQuote(raw.string()))
                .exitCode,
            0);
    }

    // The project of a base with the swept key's line last (the last line of a key wins).
    std::string project(const KeyRun& run) const {
        std::string text = "[engine]\nExePath=" + velt::test::binDir().string() + "/\n" +
                           "MidiFile=" + (run.folder / "out.mid").string() + "\n";
        if (run.base == Base::FileRun) text += "AudioFile=" + wav.string() + "\n";
        if (run.base == Base::RawFile) {
            text += "AudioFile=" + raw.string() +
                    "\nTracks=1\nRate=11025\nBitsPerSample=16\nTempo=120\nResolution=4\n";
        }
        return text + GetParam() + "=" + run.value + "\n";
    }

    void execute(KeyRun& run) const {
        fs::create_directories(run.folder);
        const fs::path projectFile = run.folder / "p.vpr", status = run.folder / "status.txt",
                       command = run.folder / "command.txt";
        writeFile(projectFile, project(run));
        std::string env;
        if (run.base == Base::Live) {
            writeFile(command, "1");
            env = "VELTRANE_WAVEIN_FILE=" + shellQuote(liveWav.string()) +
                  " VELTRANE_WAVEIN_PACED=file VELTRANE_MIDIOUT_LOG=" +
                  shellQuote((run.folder / "midi.log").string()) + " ";
        }
        const fs::path engine = velt::test::binDir() / "kvxvtpd64";
        // Standard error alone is collected: the program's banner goes to standard output.
        const auto result = runCommand(
            env + "timeout " + std::to_string(kRunSeconds) + " " + shellQuote(engine.string()) +
            " " + shellQuote(projectFile.string()) + " " + shellQuote(status.string()) + " " +
            shellQuote(command.string()) + " 2>&1 >/dev/null");
        std::ostringstream wrong;
        if (result.exitCode != 0) wrong << "exit code " << result.exitCode << "; ";
        if (!result.output.empty()) wrong << "standard error:\n" << result.output << "\n";
        const std::string line = readFile(status);
        if (!isOutcome(line.substr(0, line.find(' ')))) wrong << "status line \"" << line << "\"";
        run.outcome = wrong.str();
    }

    velt::test::TempDir dir;
    fs::path wav = dir / "notes.wav";
    fs::path raw = dir / "notes.raw";
    fs::path liveWav = dir / "live.wav";
};

TEST_P(ProjectKeySweep, EveryValueEndsWithAnOutcome) {
    std::vector<KeyRun> runs;
    for (Base base : basesFor(GetParam())) {
        for (const char* value : kValues) {
            runs.push_back({base, value, dir / ("run" + std::to_string(runs.size())), ""});
        }
    }
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < kParallelRuns; ++i) {
        workers.emplace_back([&] {
            for (size_t at = next++; at < runs.size(); at = next++) execute(runs[at]);
        });
    }
    for (std::thread& worker : workers) worker.join();
    for (const KeyRun& run : runs) {
        EXPECT_EQ(run.outcome, "") << baseName(run.base) << ", " << GetParam() << "=" << run.value;
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, ProjectKeySweep, ::testing::ValuesIn(kNumericKeys),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
}  // namespace velt::engine::sweep

// Commands written into the command file in place, the way users and scripts write them, at
// random moments into running engines (file runs and live runs, many at once): every one is
// obeyed. An engine that takes the file while it is still empty loses the command: a file run
// then finishes whole, a live run never ends.

#include "command_writers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#include "engine_fixtures.h"
#include "live_engine.h"

namespace velt::engine::test {
namespace {

using namespace std::chrono_literals;

// What went wrong in the worker threads, reported by the test's own thread.
class Failures {
  public:
    void add(const std::string& what) {
        std::lock_guard<std::mutex> lock(mutex_);
        list_.push_back(what);
    }
    void report(unsigned seed) {
        for (const std::string& what : list_) ADD_FAILURE() << what << " (seed " << seed << ")";
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> list_;
};

// Runs body(i) for i = 0..count-1 on `atOnce` threads.
template <typename Body>
void onThreads(int count, int atOnce, Body body) {
    std::atomic<int> next{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < atOnce; ++t) {
        threads.emplace_back([&] {
            for (int i = next++; i < count; i = next++) body(i);
        });
    }
    for (std::thread& thread : threads) thread.join();
}

// Waits while the engine runs until the command file is gone; false when the run ended first or
// the file stayed (the limit only ends a run that went wrong).
bool waitForCommandTaken(EngineProcess& engine, const fs::path& command) {
    const auto limit = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < limit) {
        if (!fs::exists(command)) return true;
        if (!engine.running()) return false;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

// The keys of the note-ons and the programs of the program changes in a MIDI device log.
struct LogEvents {
    std::vector<int> noteOns;
    std::vector<int> programs;
};
LogEvents logEvents(const std::vector<std::string>& lines, size_t from = 0) {
    LogEvents events;
    for (size_t i = from; i < lines.size(); ++i) {
        long ms = 0;
        unsigned status = 0, data1 = 0, data2 = 0;
        const int n = std::sscanf(lines[i].c_str(), "%ld %x %x %x", &ms, &status, &data1, &data2);
        if (n == 4 && (status & 0xF0) == 0x90 && data2 > 0) events.noteOns.push_back(int(data1));
        if (n >= 3 && (status & 0xF0) == 0xC0) events.programs.push_back(int(data1));
    }
    return events;
}

// Waits while the engine runs until its status line shows progress: the block loop has begun.
void waitForBlockLoop(EngineProcess& engine, const fs::path& status) {
    const auto limit = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < limit && engine.running()) {
        const std::string line = velt::test::readFile(status);
        if (!line.empty() && std::atof(line.c_str()) > 0) return;
        std::this_thread::sleep_for(500us);
    }
}

// 100 file runs, ten at a time, each cancelled at a random moment by one of the writers: most
// in the block loop, which polls the command file after every block, some during the set-up.
// A cancel that comes after the run has finished (the run reports 100000 and the command file
// is still there as written) is written into a new run, and so is one whose writer stood still
// for longer than the engine leaves an empty file to its writer (a machine too busy to run it).
TEST(CommandsWrittenInPlace, EveryCancelEndsItsFileRun) {
    velt::test::TempDir dir;
    const fs::path wav = makeWav(dir / "sine_60s.wav", 44100, 16, 1, "60 sine 440 gain -3");
    const unsigned seed = std::random_device{}();
    constexpr int kCancels = 100;
    constexpr int kTriesEach = 20;
    Failures failures;
    std::atomic<int> late{0}, heldUp{0};
    onThreads(kCancels, 10, [&](int i) {
        std::mt19937 random(seed + unsigned(i));
        std::uniform_int_distribution<int> moment(0, 80);
        const CommandWriter writer = kCommandWriters[size_t(i) % std::size(kCommandWriters)];
        const bool duringSetUp = i % 5 == 0;
        const std::string written = writer == CommandWriter::ShellEcho ? "1\n" : "1";
        const std::string what = "cancel " + std::to_string(i) + " by " +
                                 commandWriterName(writer) +
                                 (duringSetUp ? " from the start: " : " in the block loop: ");
        for (int attempt = 0;; ++attempt) {
            if (attempt == kTriesEach) {
                failures.add(what + "every run had finished before the cancel was written");
                return;
            }
            const fs::path folder =
                dir / ("run" + std::to_string(i) + "-" + std::to_string(attempt));
            fs::create_directories(folder);
            const fs::path command = folder / "command.txt", status = folder / "status.txt";
            const fs::path project = writeProject(
                folder / "p.vpr",
                timedProject(wav, folder / "out.mid", "[pitch]\nKeyMin=60\nKeyMax=72\n"));
            EngineProcess engine(project, status, command);
            if (!engine.started()) return failures.add(what + "the engine did not start");
            if (!duringSetUp) waitForBlockLoop(engine, status);
            std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
            const CommandWrite write = writeCommand(command, "1", writer, random, kNoCommandWait);
            if (!write.written) return failures.add(what + "the command file could not be written");
            if (!engine.waitForEnd(120s)) return failures.add(what + "the run did not end");
            const std::string value = statusValue(velt::test::readFile(status));
            const bool left = fs::exists(command);
            if (value == "100000.000" && left && velt::test::readFile(command) == written) {
                ++late;  // finished before the write: nothing to obey
                fs::remove_all(folder);
                continue;
            }
            if ((value != "-1.000" || left) && write.heldUpTooLong) {
                ++heldUp;  // the file stood empty so long that it was taken for abandoned
                fs::remove_all(folder);
                continue;
            }
            if (value != "-1.000" || left) {
                failures.add(what + "status " + value +
                             (left ? ", the command file left" : ", the command file gone"));
            }
            fs::remove_all(folder);
            return;
        }
    });
    failures.report(seed);
    RecordProperty("cancels written after the run had finished", late.load());
    RecordProperty("cancels whose writer was held up for a second", heldUp.load());
}

// 100 live runs, 25 at a time, on a melody of notes that follow one another without a gap at one
// level. Each run gets two program changes `3 n` (taken whole, even from a writer that writes one
// character at a time), then `2` (the threshold goes above the melody's level: no note starts
// after it), then `1` (the run ends as cancelled), each at a random moment by one of the writers.
// A run whose writer stood still mid-command for longer than the engine waits for more of it is
// counted apart.
TEST(CommandsWrittenInPlace, LiveRunsObeyEveryCommand) {
    velt::test::TempDir dir;
    std::string synth;
    for (int i = 0; i < 24; ++i) {
        static const char* const scale[] = {"261.63", "293.66", "329.63", "349.23",
                                            "392",    "440",    "493.88", "523.25"};
        synth += std::string(synth.empty() ? "" : " : synth") + " 0.1 sine " + scale[i % 8];
    }
    const fs::path wav =
        makeWav(dir / "scale_2.4s.wav", 44100, 16, 1, synth.substr(1) + " gain -3");
    const unsigned seed = std::random_device{}();
    constexpr int kRuns = 100;
    Failures failures;
    std::atomic<int> heldUp{0};
    onThreads(kRuns, 25, [&](int i) {
        std::mt19937 random(seed + unsigned(i));
        std::uniform_int_distribution<int> moment(0, 60);
        std::uniform_int_distribution<int> program(1, 127);
        const fs::path folder = dir / ("live" + std::to_string(i));
        fs::create_directories(folder);
        const fs::path command = folder / "command.txt", status = folder / "status.txt",
                       log = folder / "midi.log";
        const fs::path project = writeProject(
            folder / "live.vpr", "[audio]\nAudioFile=\n[pitch]\nKeyMin=48\nKeyMax=84\nPatch=0\n");
        std::vector<std::string> found;
        bool writerHeldUp = false;
        auto fail = [&](const std::string& what) {
            found.push_back("live run " + std::to_string(i) + ": " + what);
        };
        [&] {
            LiveEngine engine(wav, log, project, status, command, LivePace::WallClock);
            if (!engine.started()) return fail("the engine did not start");
            size_t writerIndex = size_t(i);
            auto send = [&](const std::string& text) {
                const CommandWriter writer =
                    kCommandWriters[writerIndex++ % std::size(kCommandWriters)];
                std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
                const std::string by = "\"" + text + "\" by " + commandWriterName(writer) + ": ";
                const CommandWrite write =
                    writeCommand(command, text, writer, random,
                                 text[0] == '3' ? kProgramSettleTime : kNoCommandWait);
                writerHeldUp |= write.heldUpTooLong;
                if (!write.written) {
                    fail(by + "the command file could not be written");
                    return false;
                }
                if (text != "1" && !waitForCommandTaken(engine, command)) {
                    fail(by + "not taken while the run went on");
                    return false;
                }
                return true;
            };
            std::vector<int> programs = {0, program(random), program(random)};
            for (size_t p = 1; p < programs.size(); ++p) {
                if (!send("3 " + std::to_string(programs[p]))) return;
            }
            if (!send("2")) return;
            const size_t linesBeforeThreshold =
                velt::test::splitLines(velt::test::readFile(log)).size();
            // The melody heard out: the level reads 0 once the file device has played it all.
            const auto limit = std::chrono::steady_clock::now() + 120s;
            while (std::chrono::steady_clock::now() < limit && engine.running()) {
                const std::string line = velt::test::readFile(status);
                if (!line.empty() && statusValue(line) == "0.000") break;
                std::this_thread::sleep_for(5ms);
            }
            if (!send("1")) return;
            if (!engine.waitForEnd(60s)) return fail("\"1\" did not end the run");
            const std::string value = statusValue(velt::test::readFile(status));
            if (value != "-1.000" || fs::exists(command)) fail("after \"1\": status " + value);
            const std::vector<std::string> lines =
                velt::test::splitLines(velt::test::readFile(log));
            const LogEvents all = logEvents(lines);
            if (all.programs != programs) {
                std::ostringstream text;
                for (int p : all.programs) text << ' ' << p;
                fail("programs sent:" + text.str() + ", written: 0 " + std::to_string(programs[1]) +
                     " " + std::to_string(programs[2]));
            }
            const LogEvents after = logEvents(lines, linesBeforeThreshold);
            if (!after.noteOns.empty()) {
                fail(std::to_string(after.noteOns.size()) + " note-ons after \"2\" was taken");
            }
        }();
        if (!found.empty() && writerHeldUp) {
            ++heldUp;  // a writer stood still mid-command longer than the engine waits for it
        } else {
            for (const std::string& what : found) failures.add(what);
        }
        fs::remove_all(folder);
    });
    failures.report(seed);
    RecordProperty("runs whose writer was held up too long", heldUp.load());
}

}  // namespace
}  // namespace velt::engine::test

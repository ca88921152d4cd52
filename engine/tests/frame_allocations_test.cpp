// Once a run is set up, its frame path allocates nothing: reading and scaling a block, the key
// measurement, the frame decisions, the filter matching, chord naming, the note tracker, the MIDI
// file writer and the command poll work in the parameters and buffers the set-up made (the
// status line, rewritten once a second, is not part of it). The allocations are
// counted by this test binary's replacement of the global operator new, on the counting thread
// only, so that no other thread's work is counted.
#include <cstdlib>
#include <new>

#include "driver/run_conversion.h"
#include "engine_fixtures.h"

namespace {

// The counter behind the replacement: open only inside an AllocationCount, on its thread.
thread_local bool countingAllocations = false;
thread_local long countedAllocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (countingAllocations) ++countedAllocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace velt::engine::test {
namespace {

// Counts the allocations of this thread from its construction to count().
class AllocationCount {
  public:
    AllocationCount() {
        countedAllocations = 0;
        countingAllocations = true;
    }
    ~AllocationCount() { countingAllocations = false; }
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;
    long count() const { return countedAllocations; }
};

TEST(FrameAllocations, CountingSeesAnAllocation) {
    long allocations = 0;
    {
        AllocationCount counting;
        ::operator delete(::operator new(16));  // a plain call, which no compiler leaves out
        allocations = counting.count();
    }
    EXPECT_EQ(allocations, 1) << "the replacement operator new is the one in use";
}

TEST(FrameAllocations, NoneOnTheFramePathOfASetUpRun) {
    velt::test::TempDir dir;
    // A triad, then a line of plucked notes with gaps: notes start, sound, end and change.
    const fs::path tones =
        makeWav(dir / "tones.wav", 44100, 16, 1,
                "1.5 sine 261.63 sine 329.63 sine 392.00 remix 1-3 : synth 0.3 pluck 293.66 : "
                "synth 0.2 sine 0 vol 0 : synth 0.3 pluck 440 : synth 0.4 sine 493.88 : "
                "synth 0.3 pluck 587.33");
    const fs::path clicks =
        makeWav(dir / "clicks.wav", 44100, 16, 1, "0.004 square 800 pad 0 0.246 repeat 23");
    struct Case {
        const char* name;
        const fs::path& audio;
        std::string project;
    };
    const Case cases[] = {
        {"polyphonic", tones, ""},
        {"single line", tones, "[pitch]\nPitchMode=1\n"},
        {"drums", clicks, "[pitch]\nPitchMode=0\n[midi]\nChannel=10\nMidiPat=38\n"},
        {"instrument filter", tones,
         "[other]\nExePath=" + velt::test::binDir().string() + "/\nFilter=0\n[midi]\nPatch=0\n"},
        {"compressor and auto timing", tones, "[audio]\nCompress=1\n[timing]\nAutoTiming=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path project =
            writeProject(dir / "p.vpr", timedProject(c.audio, dir / "p.mid", c.project));
        resetRun();
        run().files.status.path = (dir / "status.txt").string();
        run().files.command = (dir / "command.txt").string();  // polled, never written
        try {
            ReadProject(project.string());
            SetUpAnalysis();
        } catch (const RunOutcome& outcome) {
            FAIL() << "set-up ended the run: " << outcome.type << "." << outcome.detail;
        }
        ASSERT_TRUE(run().midi);
        const int64_t bytesBefore = run().midi->eventBytes();

        int frames = 0;
        long allocations = 0;
        {
            AllocationCount counting;
            for (BlockPosition at = FirstBlock(); at.byte < run().geo().endByte; ++frames) {
                AnalyseBlock(at);
                PollCommandFile();
            }
            allocations = counting.count();
        }
        EXPECT_EQ(allocations, 0) << "over " << frames << " frames";
        EXPECT_GT(frames, 100) << "the audio made frames";
        EXPECT_GT(run().midi->eventBytes(), bytesBefore) << "the tracker wrote events";

        try {
            FinishRun(outcome::kSucceeded);
        } catch (const RunOutcome& outcome) {
            ADD_FAILURE() << "the finish failed: " << outcome.type << "." << outcome.detail;
        }
        resetRun();
    }
}

}  // namespace
}  // namespace velt::engine::test

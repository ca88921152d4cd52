// The CD ripper component on the folder double (tracks are WAV files) and on the machine's real
// drives through libcdio (none here): drive and track tables, transfers with their progress on
// the clock, aborts, a disc removed mid-transfer, a stalled drive and unwritable targets; and,
// on a drive whose reads block until the test lets them go, stops that return at once.
#include "platform/outside/cd_ripper/cd_ripper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/wave_io/clock_wave_out.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::platform::cd {
namespace {

namespace fs = std::filesystem;
using Kind = CdRipper::Event::Kind;

class CdRipperDouble : public ::testing::Test {
  protected:
    CdRipperDouble() {
        wave_out::useDevices(&output_);
        fs::create_directory(disc_);
        for (int i = 1; i <= 3; ++i) {
            const std::string file = (disc_ / ("Track0" + std::to_string(i) + ".wav")).string();
            const auto made = test::runCommand(
                "sox -D -n -r 44100 -c 2 -b 16 " + test::shellQuote(file) + " synth " +
                std::to_string(i) + " sine " + std::to_string(200 * i) + " 2>&1");
            EXPECT_EQ(made.exitCode, 0) << made.output;
        }
    }
    ~CdRipperDouble() override {
        ripper_.reset();
        wave_out::useDevices(nullptr);
    }
    CdRipper& ripper(std::vector<std::string> folders = {}) {
        if (folders.empty()) folders = {disc_.string(), (dir_ / "empty drive").string()};
        ripper_ = std::make_unique<CdRipper>(folderDrives(folders), &clock_);
        ripper_->Initialize();
        return *ripper_;
    }
    // Advances the clock in steps, collecting the progress figures.
    std::vector<double> progressFor(CdRipper& r, int64_t ms) {
        std::vector<double> percents;
        for (int64_t t = 0; t < ms; t += 100) {
            clock_.advance(100);
            for (const auto& e : r.TakeEvents())
                if (e.kind == Kind::Progress) percents.push_back(e.percent);
        }
        return percents;
    }
    std::vector<uint8_t> samplesOf(const fs::path& file) {
        const auto layout = wav::readLayout(file);
        EXPECT_TRUE(layout);
        const auto bytes = test::readBytes(file);
        return {bytes.begin() + static_cast<long>(layout->dataOffset), bytes.end()};
    }

    test::TempDir dir_;
    fs::path disc_ = dir_ / "disc";
    ManualClock clock_;
    wave_out::ClockWaveOut output_{&clock_};
    std::unique_ptr<CdRipper> ripper_;
};

TEST_F(CdRipperDouble, DrivesTracksAndDiscs) {
    CdRipper& r = ripper();
    ASSERT_EQ(r.DriveCount(), 2);
    EXPECT_EQ(r.DriveNames()[0], disc_.string());
    ASSERT_NE(r.OpenDrive(0), 0);
    r.Refresh();
    EXPECT_TRUE(r.IsAudioDisc());
    ASSERT_EQ(r.TrackCount(), 3);
    for (int track = 1; track <= 3; ++track) {
        r.SelectTrack(track);
        EXPECT_EQ(r.TrackLength(), track);
    }
    EXPECT_NE(r.OpenDrive(1), 0);  // a drive without a disc opens, with no tracks
    r.Refresh();
    EXPECT_EQ(r.TrackCount(), 0);
    EXPECT_EQ(r.OpenDrive(2), 0);

    test::writeFile(disc_ / "DATA", "");
    ASSERT_NE(r.OpenDrive(0), 0);
    EXPECT_FALSE(r.IsAudioDisc());
    EXPECT_EQ(r.TrackCount(), 3);  // present, with tracks, none of them playable
    r.SelectTrack(1);
    EXPECT_EQ(r.TrackLength(), 0);
    r.PlayTrack(1);
    EXPECT_EQ(r.CurrentTrack(), 0);
    fs::remove(disc_ / "DATA");
    test::writeFile(disc_ / "BUSY", "");
    EXPECT_EQ(r.OpenDrive(0), 0);
}

TEST_F(CdRipperDouble, ATransferReachesOneHundredOnlyWithTheFileComplete) {
    CdRipper& r = ripper();
    ASSERT_NE(r.OpenDrive(0), 0);
    r.setFromTrack(2);
    r.setToTrack(3);
    const fs::path out = dir_ / "my music" / "Track02.wav";
    fs::create_directories(out.parent_path());
    r.setOutputFile(out.string());
    ASSERT_TRUE(r.StartRip());
    EXPECT_TRUE(r.Ripping());
    const auto percents = progressFor(r, 400);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100.0);
    for (size_t i = 0; i + 1 < percents.size(); ++i) {
        EXPECT_LT(percents[i], 99.5);
        EXPECT_LT(percents[i], percents[i + 1]);
    }
    EXPECT_FALSE(r.Ripping());
    EXPECT_FALSE(r.RipFailed());
    EXPECT_EQ(r.FromTrack(), 2);
    EXPECT_EQ(samplesOf(out), samplesOf(disc_ / "Track02.wav"));
}

TEST_F(CdRipperDouble, AbortsRemovalsStallsAndBadTargetsLeaveNoFile) {
    CdRipper& r = ripper();
    ASSERT_NE(r.OpenDrive(0), 0);
    const fs::path out = dir_ / "t.wav";
    r.setOutputFile(out.string());
    r.setFromTrack(3);
    ASSERT_TRUE(r.StartRip());
    progressFor(r, 200);
    r.AbortRip();
    EXPECT_FALSE(r.Ripping());
    EXPECT_FALSE(fs::exists(out));

    // The disc goes while the track is transferred: the transfer fails and its file goes.
    ASSERT_TRUE(r.StartRip());
    progressFor(r, 100);
    fs::rename(disc_, dir_ / "elsewhere");
    const auto percents = progressFor(r, 500);
    EXPECT_TRUE(r.RipFailed());
    EXPECT_FALSE(r.Ripping());
    EXPECT_TRUE(std::find(percents.begin(), percents.end(), 100.0) == percents.end());
    EXPECT_FALSE(fs::exists(out));
    r.Refresh();
    EXPECT_EQ(r.TrackCount(), 0);
    fs::rename(dir_ / "elsewhere", disc_);

    // A drive that never starts the transfer stays at 0 %.
    test::writeFile(disc_ / "STALL", "");
    ASSERT_NE(r.OpenDrive(0), 0);
    ASSERT_TRUE(r.StartRip());
    const auto stalled = progressFor(r, 1000);
    EXPECT_EQ(stalled, std::vector<double>{0.0});
    EXPECT_TRUE(r.Ripping());
    r.AbortRip();
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(test::filesOf(dir_.path(), "t.wav"), std::vector<std::string>{});

    std::string problem;
    r.setOutputFile((dir_ / "no folder" / "x.wav").string());
    EXPECT_FALSE(r.StartRip(&problem));
    EXPECT_NE(problem.find("Unable to create"), std::string::npos) << problem;
    r.setOutputFile("/dev/null");
    EXPECT_FALSE(r.StartRip(&problem));
    EXPECT_TRUE(fs::exists("/dev/null"));
    r.setFromTrack(9);
    r.setOutputFile(out.string());
    EXPECT_FALSE(r.StartRip(&problem));
}

TEST_F(CdRipperDouble, PlayingReportsItsPositionEachSecond) {
    CdRipper& r = ripper();
    ASSERT_NE(r.OpenDrive(0), 0);
    r.PlayTrack(3);
    EXPECT_EQ(r.CurrentTrack(), 3);
    std::vector<long> seconds;
    for (int i = 0; i < 25; ++i) {
        for (const auto& e : r.TakeEvents())
            if (e.kind == Kind::PositionChanged) seconds.push_back(e.seconds);
        clock_.advance(100);
    }
    EXPECT_EQ(seconds, (std::vector<long>{0, 1, 2}));
    // The track's samples play on the wave output, all 3 s of them.
    using WaveKind = wave_out::ClockWaveOut::Event::Kind;
    ASSERT_GE(output_.events.size(), 2u);
    EXPECT_EQ(output_.events[0].kind, WaveKind::Open);
    EXPECT_EQ(output_.events[0].sampleRate, 44100);
    EXPECT_EQ(output_.events[0].channels, 2);
    EXPECT_EQ(output_.events[1].kind, WaveKind::Play);
    EXPECT_EQ(output_.events[1].first, 0);
    EXPECT_EQ(output_.events[1].end, 3 * 44100);
    r.PreviousTrack();  // stops the stream where the clock has got to: 2.5 s
    const auto stop = std::find_if(output_.events.begin(), output_.events.end(),
                                   [](const auto& e) { return e.kind == WaveKind::Stop; });
    ASSERT_NE(stop, output_.events.end());
    EXPECT_EQ(stop->stream, 1);
    EXPECT_EQ(stop->first, 110250);
    EXPECT_EQ(r.CurrentTrack(), 2);
    r.NextTrack();
    r.NextTrack();
    EXPECT_EQ(r.CurrentTrack(), 3);
    r.StopPlay();
    EXPECT_TRUE(r.TakeEvents().empty());
    EXPECT_EQ(output_.events.back().kind, WaveKind::Close);
    EXPECT_EQ(output_.events.back().stream, 3);  // each track choice played on a stream of its own
}

// A drive whose sector reads wait at a gate, as a read stalled in the system does, until the
// test opens it. Sector bytes tell the track and the sector, so a file shows whose reads it holds.
struct ReadGate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int reads = 0;         // reads that reached the gate
    int drivesClosed = 0;  // drives destroyed: the last holder let the drive go

    void pass() {
        std::unique_lock lock(mutex);
        ++reads;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }
    void release() {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    void driveClosed() {
        std::lock_guard lock(mutex);
        ++drivesClosed;
        changed.notify_all();
    }
    // Waits (bounded, generously) until `done` holds.
    bool waitUntil(const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), done);
    }
};

constexpr int64_t kStalledTrackSectors = 40;

// The byte at offset `at` of the data of track `track` (either read of it).
uint8_t trackByte(int track, size_t at) {
    const auto sector = static_cast<int64_t>(at / kBytesPerSector);
    return static_cast<uint8_t>(track * 31 + sector * 7 + static_cast<int64_t>(at % 5));
}

class GatedDrive : public Drive {
  public:
    explicit GatedDrive(std::shared_ptr<ReadGate> gate) : gate_(std::move(gate)) {}
    ~GatedDrive() override { gate_->driveClosed(); }
    Disc readDisc(bool& changed) override {
        changed = false;
        return {true, true, {kStalledTrackSectors, kStalledTrackSectors}, 2};
    }
    bool readSectors(int track, int64_t sector, int count, std::vector<uint8_t>& out) override {
        gate_->pass();
        out.resize(static_cast<size_t>(count) * kBytesPerSector);
        const size_t first = static_cast<size_t>(sector) * kBytesPerSector;
        for (size_t i = 0; i < out.size(); ++i) out[i] = trackByte(track, first + i);
        return true;
    }
    void eject() override {}
    void closeTray() override {}

  private:
    std::shared_ptr<ReadGate> gate_;
};

class GatedDrives : public Drives {
  public:
    explicit GatedDrives(std::shared_ptr<ReadGate> gate) : gate_(std::move(gate)) {}
    std::vector<std::string> names() override { return {"gated"}; }
    std::unique_ptr<Drive> open(int) override { return std::make_unique<GatedDrive>(gate_); }

  private:
    std::shared_ptr<ReadGate> gate_;
};

class CdRipperBlockedRead : public ::testing::Test {
  protected:
    CdRipperBlockedRead() {
        wave_out::useDevices(&output_);
        ripper_ = std::make_unique<CdRipper>(std::make_unique<GatedDrives>(gate_), &clock_);
        ripper_->Initialize();
        EXPECT_NE(ripper_->OpenDrive(0), 0);
        ripper_->Refresh();
        EXPECT_EQ(ripper_->TrackCount(), 2);
    }
    ~CdRipperBlockedRead() override {
        ripper_.reset();
        gate_->release();
        // Every worker left behind ends once its read returns, and the drive is closed.
        EXPECT_TRUE(gate_->waitUntil([this] { return gate_->drivesClosed == 1; }));
        wave_out::useDevices(nullptr);
    }
    // Runs `call` and tells whether it returned while the reads still wait; one that does not
    // return in a generous bound is let go by opening the gate, so the test ends either way.
    bool returnsWhileBlocked(const std::function<void()>& call) {
        std::promise<void> returned;
        std::future<void> done = returned.get_future();
        std::thread caller([&] {
            call();
            returned.set_value();
        });
        const bool inTime = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!inTime) gate_->release();
        caller.join();
        return inTime;
    }
    bool readsReached(int count) {
        return gate_->waitUntil([this, count] { return gate_->reads >= count; });
    }

    std::shared_ptr<ReadGate> gate_ = std::make_shared<ReadGate>();
    test::TempDir dir_;
    ManualClock clock_;
    wave_out::ClockWaveOut output_{&clock_};
    std::unique_ptr<CdRipper> ripper_;
};

// Stopping a transfer or a playback whose read is blocked returns at once; the drive is left
// alone while the leftover worker holds it; a new transfer into the same file waits for the
// drive on its own worker and, once the reads go on, its file is the only one and holds its
// track, however the leftover worker ends.
TEST_F(CdRipperBlockedRead, StopsReturnWhileTheReadIsBlocked) {
    CdRipper& r = *ripper_;
    const fs::path out = dir_ / "Track02.wav";
    r.setOutputFile(out.string());
    r.setFromTrack(1);
    ASSERT_TRUE(r.StartRip());
    ASSERT_TRUE(readsReached(1));
    EXPECT_TRUE(returnsWhileBlocked([&] { r.AbortRip(); }));
    EXPECT_FALSE(r.Ripping());

    r.PlayTrack(2);
    EXPECT_EQ(r.CurrentTrack(), 2);
    EXPECT_TRUE(returnsWhileBlocked([&] {
        r.Refresh();
        r.StopPlay();
        r.Eject();
    }));
    EXPECT_EQ(r.TrackCount(), 2);

    r.setFromTrack(2);
    ASSERT_TRUE(r.StartRip());
    EXPECT_TRUE(r.Ripping());
    EXPECT_EQ(gate_->reads, 1) << "a read of the new transfer while the old one still reads";
    gate_->release();
    bool completed = false;
    for (int i = 0; i < 500 && !completed; ++i) {
        for (const auto& e : r.TakeEvents())
            if (e.kind == Kind::Progress && e.percent == 100) completed = true;
        if (!completed) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(completed);
    EXPECT_FALSE(r.RipFailed());
    const auto layout = wav::readLayout(out);
    ASSERT_TRUE(layout);
    const auto bytes = test::readBytes(out);
    ASSERT_EQ(layout->dataBytes, static_cast<uint64_t>(kStalledTrackSectors) * kBytesPerSector);
    bool samplesOfTrack2 = true;
    for (size_t i = 0; i < layout->dataBytes; ++i)
        samplesOfTrack2 = samplesOfTrack2 && bytes[layout->dataOffset + i] == trackByte(2, i);
    EXPECT_TRUE(samplesOfTrack2);
    EXPECT_EQ(test::filesOf(dir_.path()), std::vector<std::string>{"Track02.wav"});
}

// The ripper goes while its worker's read is blocked: nothing waits for the read, and when it
// returns the worker closes the drive (the fixture's end waits for that) and leaves no file.
TEST_F(CdRipperBlockedRead, TheRipperCanGoWhileTheReadIsBlocked) {
    const fs::path out = dir_ / "gone.wav";
    ripper_->setOutputFile(out.string());
    ASSERT_TRUE(ripper_->StartRip());
    ASSERT_TRUE(readsReached(1));
    EXPECT_TRUE(returnsWhileBlocked([&] { ripper_.reset(); }));
    gate_->release();
    EXPECT_TRUE(gate_->waitUntil([this] { return gate_->drivesClosed == 1; }));
    EXPECT_EQ(test::filesOf(dir_.path()), std::vector<std::string>{});
}

// This machine has no CD drive: the real drives are none, and libcdio says nothing about it.
TEST(CdRipperSystem, NoDrivesAndNoOutput) {
    test::ScopedEnv none("VELTRANE_CD_DRIVES", std::nullopt);
    testing::internal::CaptureStderr();
    CdRipper r;
    r.Initialize();
    const int drives = r.DriveCount();
    if (drives == 0) {
        EXPECT_EQ(r.OpenDrive(0), 0);
    }
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "");
    EXPECT_GE(drives, 0);
}

TEST(CdRipperSystem, TheEnvironmentSelectsTheFolderDouble) {
    test::TempDir dir;
    test::ScopedEnv drives("VELTRANE_CD_DRIVES", dir.path().string() + ":" + (dir / "b").string());
    CdRipper r;
    r.Initialize();
    EXPECT_EQ(r.DriveNames(),
              (std::vector<std::string>{dir.path().string(), (dir / "b").string()}));
}

}  // namespace
}  // namespace velt::platform::cd

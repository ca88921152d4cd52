#include "platform/outside/cd_ripper/cd_ripper.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/folders/working_file.h"
#include "platform/outside/worker_job.h"
#include "platform/wave_io/wave_out.h"

namespace velt::platform::cd {

// The open drive and who may use it: a worker holds `busy` for as long as it reads, the owner's
// thread only tries it. Workers hold the drive itself too, so a worker left behind by a stop
// still has it when its read returns, and the last holder closes it.
struct CdRipper::SharedDrive {
    explicit SharedDrive(std::unique_ptr<Drive> opened)
        : drive(std::move(opened)), onClock(drive->transfersOnClock()) {}
    std::mutex busy;
    const std::unique_ptr<Drive> drive;
    const bool onClock;  // the double: read on the owner's thread, stepped by the clock
};

// One transfer: a reader, the working file it goes into, and how far it got. A real drive's
// transfer runs on a worker that holds the job to its end; the double's is stepped by the clock
// on the owner's thread.
struct CdRipper::Rip : outside::WorkerJob {
    std::unique_ptr<Drive::TrackReader> reader;
    wav::Writer writer;
    std::string output;   // where the complete file goes
    std::string working;  // where it is written until then
    int track = 0;
    int64_t sectors = 0;
    std::atomic<int64_t> done = 0;
    std::atomic<bool> failed = false;    // the disc could not be read to the end
    std::atomic<bool> complete = false;  // the whole track is in the output file
    bool onClock = false;
    bool stalls = false;
    int64_t startMs = 0;

    // Copies sectors until `due` are done, `stopped` says so or a read or write fails.
    template <class Stopped>
    void copyUpTo(int64_t due, Stopped stopped) {
        std::vector<uint8_t> sector;
        while (reader && done < due && !stopped()) {
            if (!reader->next(sector) || !writer.write(sector.data(), sector.size())) {
                failed = true;
                return;
            }
            ++done;
        }
    }
    // The worker's transfer: the drive is its own until the transfer has ended, so a transfer
    // that waits for the drive starts only once the one before it is done with its file.
    void run(SharedDrive& shared) {
        std::lock_guard use(shared.busy);
        if (!stop) reader = shared.drive->readTrack(track, sectors);
        if (!stop && !reader) failed = true;
        copyUpTo(sectors, [this] { return stop.load(); });
        reader.reset();
        end();
    }
    // Ends the transfer: the file is put in place only when every sector is in it, it closed
    // well and no stop came; decided under the lock the stop takes.
    void end() {
        std::lock_guard lock(mutex);
        if (finished) return;
        bool placed = false;
        if (!failed && done == sectors && !stop && writer.close()) {
            std::error_code ec;
            std::filesystem::rename(working, output, ec);
            placed = !ec;
            if (!placed) std::filesystem::remove(working, ec);
        } else {
            writer.abandon();
        }
        complete = placed;
        finishLocked();
    }
};

// One track playing digitally: its sectors are read into a sound (on a worker for a real drive,
// at once for the double), which then plays on the default wave output from the frame the
// clock has reached. The job is finished once the reading is done (the whole track, or as far
// as it got).
struct CdRipper::Playback : outside::WorkerJob {
    std::shared_ptr<PcmSound> sound = std::make_shared<PcmSound>();
    int32_t handle = 0;  // the output stream, 0 until it plays
    bool started = false;

    void readTrack(Drive& drive, int track, int64_t sectors) {
        constexpr int kChunk = 75;  // a second of sound per read
        std::vector<uint8_t> chunk;
        for (int64_t at = 0; at < sectors && !stop; at += kChunk) {
            const int count = static_cast<int>(std::min<int64_t>(kChunk, sectors - at));
            if (!drive.readSectors(track, at, count, chunk)) break;
            sound->data.insert(sound->data.end(), chunk.begin(), chunk.end());
        }
        std::lock_guard lock(mutex);
        finishLocked();
    }
};

namespace {

// The double transfers ten times faster than real time.
constexpr int64_t kClockSectorsPerSecond = 10 * kSectorsPerSecond;

}  // namespace

CdRipper::CdRipper(std::unique_ptr<Drives> drives, const Clock* clock)
    : drives_(std::move(drives)), clock_(clock ? clock : &ownClock_) {}

CdRipper::~CdRipper() {
    AbortRip();
    CloseDrive();
}

int64_t CdRipper::nowMs() const {
    return clock_->nowMs();
}

void CdRipper::Initialize() {
    names_ = drives_ ? drives_->names() : std::vector<std::string>{};
}

int CdRipper::DriveCount() const {
    return static_cast<int>(names_.size());
}

std::vector<std::string> CdRipper::DriveNames() const {
    return names_;
}

void CdRipper::PrepareDrive() {
    // Nothing to prepare: opening reads what a drive needs.
}

int CdRipper::OpenDrive(int index) {
    CloseDrive();
    if (!drives_ || index < 0 || index >= DriveCount()) return 0;
    std::unique_ptr<Drive> opened = drives_->open(index);
    if (!opened) return 0;
    drive_ = std::make_shared<SharedDrive>(std::move(opened));
    bool changed = false;
    disc_ = drive_->drive->readDisc(changed);
    return 1;
}

void CdRipper::CloseDrive() {
    AbortRip();
    StopPlay();
    drive_.reset();  // a worker still reading closes it when its read returns
    disc_ = Disc{};
    currentTrack_ = 0;
}

void CdRipper::Refresh() {
    if (!drive_) return;
    if (rip_ && rip_->onClock) stepRipOnClock();
    if (Ripping()) return;  // the drive belongs to the transfer
    startOutput();
    if (playbackReading()) return;  // and to the playback's reader until it is done
    // A worker left behind by a stop may still be reading: the table waits for the next tick.
    std::unique_lock use(drive_->busy, std::try_to_lock);
    if (!use) return;
    bool changed = false;
    disc_ = drive_->drive->readDisc(changed);
    use.unlock();
    if (changed) {
        StopPlay();
        currentTrack_ = 0;
    }
    if (currentTrack_ > audioTracks()) currentTrack_ = 0;
    if (playing_ && currentTrack_ > 0) {
        const int64_t sectors = disc_.trackSectors[static_cast<size_t>(currentTrack_ - 1)];
        if ((nowMs() - playStartMs_) * kSectorsPerSecond / 1000 >= sectors) StopPlay();
    }
}

int CdRipper::TrackCount() const {
    if (!disc_.present) return 0;
    // A data disc has tracks too, only none that plays: the window tells it from an empty drive
    // by this count and IsAudioDisc.
    return disc_.audio ? audioTracks() : std::max(disc_.tracks, 1);
}

int CdRipper::audioTracks() const {
    return disc_.present && disc_.audio ? static_cast<int>(disc_.trackSectors.size()) : 0;
}

int CdRipper::TrackLength() const {
    if (selected_ < 1 || selected_ > audioTracks()) return 0;
    return static_cast<int>(disc_.trackSectors[static_cast<size_t>(selected_ - 1)] /
                            kSectorsPerSecond);
}

void CdRipper::PlayTrack(int track) {
    if (!drive_ || track < 1 || track > audioTracks() || Ripping()) return;
    StopPlay();
    currentTrack_ = track;
    playing_ = true;
    playStartMs_ = nowMs();
    lastPosition_ = -1;
    const int64_t sectors = disc_.trackSectors[static_cast<size_t>(track - 1)];
    playback_ = std::make_shared<Playback>();
    playback_->sound->data.reserve(static_cast<size_t>(sectors) * kBytesPerSector);
    if (drive_->onClock) {
        playback_->readTrack(*drive_->drive, track, sectors);
    } else {
        playReader_ = std::thread([job = playback_, shared = drive_, track, sectors] {
            std::lock_guard use(shared->busy);
            job->readTrack(*shared->drive, track, sectors);
        });
    }
    startOutput();
}

void CdRipper::startOutput() {
    if (!playback_ || playback_->started || !playback_->isFinished()) return;
    if (playReader_.joinable()) playReader_.join();
    playback_->started = true;
    const std::shared_ptr<PcmSound>& sound = playback_->sound;
    if (sound->frames() == 0) return;
    // Without an output device the track still "plays" on the clock, silently.
    if (wave_out::open(playback_->handle, -1, sound) != wave_out::NoError) {
        playback_->handle = 0;
        return;
    }
    wave_out::play(playback_->handle, sound->framesOfMs(nowMs() - playStartMs_), sound->frames());
}

void CdRipper::StopPlay() {
    playing_ = false;
    lastPosition_ = -1;
    if (!playback_) return;
    const std::shared_ptr<Playback> playback = std::exchange(playback_, nullptr);
    // A reader still blocked in a drive read is left to end on its own, its sound thrown away.
    outside::stopWorker(*playback, playReader_);
    if (playback->handle != 0) {
        wave_out::stop(playback->handle);
        wave_out::close(playback->handle);
    }
}

bool CdRipper::playbackReading() const {
    return playback_ && !playback_->isFinished();
}

void CdRipper::PreviousTrack() {
    if (currentTrack_ > 1) PlayTrack(currentTrack_ - 1);
}

void CdRipper::NextTrack() {
    if (currentTrack_ < audioTracks()) PlayTrack(currentTrack_ + 1);
}

void CdRipper::Eject() {
    AbortRip();
    StopPlay();
    if (!drive_) return;
    // Not while a worker left behind still reads: the drive is not to be touched until then.
    std::unique_lock use(drive_->busy, std::try_to_lock);
    if (use) drive_->drive->eject();
}

void CdRipper::CloseTray() {
    if (!drive_) return;
    std::unique_lock use(drive_->busy, std::try_to_lock);
    if (use) drive_->drive->closeTray();
}

bool CdRipper::StartRip(std::string* problem) {
    auto fail = [problem](const std::string& why) {
        if (problem) *problem = why;
        return false;
    };
    if (Ripping()) return fail("A transfer is running already.");
    if (!drive_) return fail("No CD drive is open.");
    if (fromTrack_ < 1 || fromTrack_ > audioTracks()) return fail("The track does not exist.");
    StopPlay();
    if (rip_) releaseRip();
    auto rip = std::make_shared<Rip>();
    rip->output = outputFile_;
    rip->working = workingFileName(outputFile_, rip.get());
    rip->track = fromTrack_;
    rip->sectors = disc_.trackSectors[static_cast<size_t>(fromTrack_ - 1)];
    // The double's reader is made here; a real drive's on the worker, which waits for the drive
    // while a worker left behind still reads it.
    if (drive_->onClock) {
        rip->reader = drive_->drive->readTrack(rip->track, rip->sectors);
        if (!rip->reader) return fail("The track cannot be read.");
    }
    if (!replaceableOutput(outputFile_)) {
        return fail("Unable to create " + outputFile_ + ": it is not a regular file.");
    }
    if (!rip->writer.open(rip->working, {2, 44100, 16})) {
        return fail("Unable to create " + outputFile_ + ": " + std::strerror(rip->writer.error()));
    }
    ripFailed_ = false;
    lastPercent_ = -1;
    rip->startMs = nowMs();
    rip->onClock = drive_->onClock;
    if (rip->onClock) {
        rip->stalls = drive_->drive->stalls();
    } else {
        ripWorker_ = std::thread([job = rip, shared = drive_] { job->run(*shared); });
    }
    rip_ = std::move(rip);
    return true;
}

void CdRipper::stepRipOnClock() {
    Rip& rip = *rip_;
    if (rip.isFinished() || rip.stalls) return;
    const int64_t due =
        std::min(rip.sectors, (nowMs() - rip.startMs) * kClockSectorsPerSecond / 1000);
    rip.copyUpTo(due, [] { return false; });
    if (rip.failed || rip.done == rip.sectors) rip.end();
}

bool CdRipper::Ripping() const {
    return rip_ != nullptr && !rip_->isFinished();
}

bool CdRipper::RipFailed() const {
    return rip_ ? rip_->failed.load() : ripFailed_;
}

void CdRipper::AbortRip() {
    if (!rip_) return;
    const std::shared_ptr<Rip> rip = std::exchange(rip_, nullptr);
    ripFailed_ = rip->failed;
    if (rip->onClock) {
        rip->stop = true;
        rip->end();
    } else {
        // A worker still blocked in a drive read is left to end on its own; it never places
        // its file, the stop having come first.
        outside::stopWorker(*rip, ripWorker_);
    }
    if (rip->complete) {
        // Done before the stop came: given up all the same.
        std::error_code ec;
        std::filesystem::remove(rip->output, ec);
    }
}

void CdRipper::releaseRip() {
    if (ripWorker_.joinable()) ripWorker_.join();  // finished: it has only to return
    ripFailed_ = rip_->failed;
    rip_.reset();
}

std::vector<CdRipper::Event> CdRipper::TakeEvents() {
    std::vector<Event> events;
    if (rip_) {
        if (rip_->onClock) stepRipOnClock();
        double percent = rip_->sectors > 0 ? 100.0 * static_cast<double>(rip_->done) /
                                                 static_cast<double>(rip_->sectors)
                                           : 0;
        // 100 only once the file is complete; until then the figure never rounds up to it.
        percent = rip_->complete ? 100.0 : std::min(percent, 99.4);
        if (percent != lastPercent_) {
            events.push_back({Event::Kind::Progress, percent, 0});
            lastPercent_ = percent;
        }
        if (rip_->isFinished()) releaseRip();
    }
    startOutput();
    if (playing_ && currentTrack_ > 0) {
        const long seconds = static_cast<long>((nowMs() - playStartMs_) / 1000);
        if (seconds != lastPosition_) {
            events.push_back({Event::Kind::PositionChanged, 0, seconds});
            lastPosition_ = seconds;
        }
    }
    return events;
}

}  // namespace velt::platform::cd

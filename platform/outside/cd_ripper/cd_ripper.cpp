#include "platform/outside/cd_ripper/cd_ripper.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "platform/wave_io/wave_out.h"

namespace velt::platform::cd {

// One transfer: a reader, the file it goes into, and how far it got. A real drive's transfer
// runs on `worker`; the double's is stepped by the clock on the owner's thread.
struct CdRipper::Rip {
    std::unique_ptr<Drive::TrackReader> reader;
    wav::Writer writer;
    int64_t sectors = 0;
    std::atomic<int64_t> done = 0;
    std::atomic<bool> stop = false;
    std::atomic<bool> finished = false;  // the worker is done, file closed or removed
    std::atomic<bool> complete = false;  // the whole track is in the closed file
    bool onClock = false;
    bool stalls = false;
    int64_t startMs = 0;
    std::thread worker;

    // Copies one sector; false at the end or on a read failure.
    bool copyOne() {
        std::vector<uint8_t> sector;
        if (!reader->next(sector) || !writer.write(sector.data(), sector.size())) return false;
        ++done;
        return true;
    }
    // Ends the transfer: the file is kept only when every sector is in it and it closed well.
    void end() {
        if (done == sectors && !stop && writer.close()) {
            complete = true;
        } else {
            writer.abandon();
        }
        finished = true;
    }
};

// One track playing digitally: its sectors are read into a sound (on `reader` for a real drive,
// at once for the double), which then plays on the default wave output from the frame the
// clock has reached.
struct CdRipper::Playback {
    std::shared_ptr<PcmSound> sound = std::make_shared<PcmSound>();
    std::thread reader;
    std::atomic<bool> stop = false;
    std::atomic<bool> read = false;  // the reader is done (the whole track, or as far as it got)
    int32_t handle = 0;              // the output stream, 0 until it plays
    bool started = false;

    void readTrack(Drive& drive, int track, int64_t sectors) {
        constexpr int kChunk = 75;  // a second of sound per read
        std::vector<uint8_t> chunk;
        for (int64_t at = 0; at < sectors && !stop; at += kChunk) {
            const int count = static_cast<int>(std::min<int64_t>(kChunk, sectors - at));
            if (!drive.readSectors(track, at, count, chunk)) break;
            sound->data.insert(sound->data.end(), chunk.begin(), chunk.end());
        }
        read = true;
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
    drive_ = drives_->open(index);
    if (!drive_) return 0;
    bool changed = false;
    disc_ = drive_->readDisc(changed);
    return 1;
}

void CdRipper::CloseDrive() {
    AbortRip();
    StopPlay();
    drive_.reset();
    disc_ = Disc{};
    currentTrack_ = 0;
}

void CdRipper::Refresh() {
    if (!drive_) return;
    if (rip_ && rip_->onClock) stepRipOnClock();
    if (Ripping()) return;  // the drive belongs to the transfer
    startOutput();
    if (playbackReading()) return;  // and to the playback's reader until it is done
    bool changed = false;
    disc_ = drive_->readDisc(changed);
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
    playback_ = std::make_unique<Playback>();
    playback_->sound->data.reserve(static_cast<size_t>(sectors) * kBytesPerSector);
    if (drive_->transfersOnClock()) {
        playback_->readTrack(*drive_, track, sectors);
    } else {
        Playback* job = playback_.get();
        Drive* drive = drive_.get();
        job->reader =
            std::thread([job, drive, track, sectors] { job->readTrack(*drive, track, sectors); });
    }
    startOutput();
}

void CdRipper::startOutput() {
    if (!playback_ || playback_->started || !playback_->read) return;
    if (playback_->reader.joinable()) playback_->reader.join();
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
    playback_->stop = true;
    if (playback_->reader.joinable()) playback_->reader.join();
    if (playback_->handle != 0) {
        wave_out::stop(playback_->handle);
        wave_out::close(playback_->handle);
    }
    playback_.reset();
}

bool CdRipper::playbackReading() const {
    return playback_ && !playback_->read;
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
    if (drive_) drive_->eject();
}

void CdRipper::CloseTray() {
    if (drive_) drive_->closeTray();
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
    auto rip = std::make_unique<Rip>();
    rip->sectors = disc_.trackSectors[static_cast<size_t>(fromTrack_ - 1)];
    rip->reader = drive_->readTrack(fromTrack_, rip->sectors);
    if (!rip->reader) return fail("The track cannot be read.");
    if (!rip->writer.open(outputFile_, {2, 44100, 16})) {
        return fail("Unable to create " + outputFile_ + ": " + std::strerror(errno));
    }
    ripFailed_ = false;
    lastPercent_ = -1;
    rip->onClock = drive_->transfersOnClock();
    rip->stalls = drive_->stalls();
    rip->startMs = nowMs();
    if (!rip->onClock) {
        Rip* job = rip.get();
        rip->worker = std::thread([this, job] {
            while (!job->stop && job->done < job->sectors) {
                if (!job->copyOne()) {
                    ripFailed_ = true;
                    break;
                }
            }
            job->end();
        });
    }
    rip_ = std::move(rip);
    return true;
}

void CdRipper::stepRipOnClock() {
    Rip& rip = *rip_;
    if (rip.finished || rip.stalls) return;
    const int64_t due =
        std::min(rip.sectors, (nowMs() - rip.startMs) * kClockSectorsPerSecond / 1000);
    while (rip.done < due) {
        if (!rip.copyOne()) {
            ripFailed_ = true;
            break;
        }
    }
    if (ripFailed_ || rip.done == rip.sectors) rip.end();
}

bool CdRipper::Ripping() const {
    return rip_ != nullptr && !rip_->finished;
}

void CdRipper::AbortRip() {
    if (!rip_) return;
    rip_->stop = true;
    finishRip(false);
}

void CdRipper::finishRip(bool keepFile) {
    if (rip_->worker.joinable()) rip_->worker.join();
    if (!rip_->finished) rip_->end();
    if (!keepFile && rip_->complete) {
        std::error_code ec;
        std::filesystem::remove(outputFile_, ec);
    }
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
        if (rip_->finished) finishRip(rip_->complete);
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

// The CD ripper component: lists the CD drives, reads a disc's table of contents, plays tracks
// digitally (their sectors read and played on the default wave output; no analog cable needed)
// and transfers one track at a time into a 44,100 Hz 16-bit stereo WAV file. Windows drive it
// through the operations below and learn about progress through two events, which the component
// queues and the owner takes from its event loop (TakeEvents), so no window code ever runs on
// the transfer's thread.
//
// A real drive is read on worker threads, and a read can stall in the system (a scratched disc,
// a hung drive). Stopping a transfer or a playback never waits long for it: a worker still
// blocked after a short wait is left to end on its own, holding the drive and its own state to
// its end, and its sound or file is thrown away. A transfer writes under a name of its own beside
// the output file and renames it into place only when complete, so a worker left behind never
// places, overwrites or removes the file of a later transfer. While such a worker still holds
// the drive, the owner's thread leaves the drive alone (no table of contents read, no eject),
// and a new transfer or playback waits for the drive on its own worker.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/outside/cd_ripper/cd_drives.h"
#include "platform/wav/wav_file.h"

namespace velt::platform::cd {

class CdRipper {
  public:
    // `clock` (not owned) times the double's transfers and the play position; the steady clock
    // when none is given.
    explicit CdRipper(std::unique_ptr<Drives> drives = systemDrives(),
                      const Clock* clock = nullptr);
    // Ends a running transfer (its file never placed) and closes the drive; a worker still
    // blocked in a read outlives the ripper and lets the drive go when the read returns.
    ~CdRipper();
    CdRipper(const CdRipper&) = delete;
    CdRipper& operator=(const CdRipper&) = delete;

    void Initialize();
    int DriveCount() const;
    std::vector<std::string> DriveNames() const;  // device paths, in DriveIndex order
    void setDriveIndex(int index) { driveIndex_ = index; }
    int DriveIndex() const { return driveIndex_; }
    void PrepareDrive();
    // Non-zero when the drive opened; zero when another program holds it (or it is no drive).
    int OpenDrive(int index);
    void CloseDrive();

    // Brings TrackCount, IsAudioDisc and CurrentTrack up to date. The table of contents is read
    // again only when the medium changed; during a transfer the drive is left to it.
    void Refresh();
    int TrackCount() const;  // 0: no disc; a data disc counts its tracks (at least 1)
    bool IsAudioDisc() const { return disc_.audio; }
    void SelectTrack(int track) { selected_ = track; }
    int TrackLength() const;  // whole seconds of the selected track
    int CurrentTrack() const { return currentTrack_; }

    void PlayTrack(int track);
    void StopPlay();
    void PreviousTrack();
    void NextTrack();
    void Eject();
    void CloseTray();

    void setFromTrack(int track) { fromTrack_ = track; }
    int FromTrack() const { return fromTrack_; }
    void setToTrack(int track) { toTrack_ = track; }
    void setOutputFile(const std::string& path) { outputFile_ = path; }
    // Starts the transfer of FromTrack into OutputFile and returns at once. False (nothing
    // started, `problem` says why) when no drive is open, the track does not exist or the file
    // cannot be created.
    bool StartRip(std::string* problem = nullptr);
    // Stops a running transfer; its file is removed (or, by a worker blocked in a read, never
    // placed). Returns without waiting for such a read.
    void AbortRip();
    bool Ripping() const;
    bool RipFailed() const;  // the disc could not be read to the end

    struct Event {
        enum class Kind { Progress, PositionChanged } kind;
        double percent = 0;  // Progress
        long seconds = 0;    // PositionChanged
    };
    // The events since the last call, in order: Progress when the transfer's percentage moved
    // (below 99.5 until the file is complete and closed, then exactly 100), PositionChanged once
    // a second while a track plays.
    std::vector<Event> TakeEvents();

  private:
    struct SharedDrive;
    struct Rip;
    struct Playback;
    void releaseRip();   // lets a finished transfer go
    void startOutput();  // plays the track's sound once it has been read
    bool playbackReading() const;
    void stepRipOnClock();
    int64_t nowMs() const;
    int audioTracks() const;  // the tracks that play and transfer

    std::unique_ptr<Drives> drives_;
    SteadyClock ownClock_;
    const Clock* clock_;
    std::vector<std::string> names_;
    int driveIndex_ = 0;
    std::shared_ptr<SharedDrive> drive_;  // the workers reading it hold it too
    Disc disc_;
    int selected_ = 1;
    int currentTrack_ = 0;
    bool playing_ = false;
    int64_t playStartMs_ = 0;
    long lastPosition_ = -1;
    int fromTrack_ = 1, toTrack_ = 2;
    std::string outputFile_;
    std::shared_ptr<Rip> rip_;  // the running transfer; its worker holds it too
    std::thread ripWorker_;
    std::shared_ptr<Playback> playback_;  // the playing track; its reader holds it too
    std::thread playReader_;
    bool ripFailed_ = false;  // of the last transfer let go
    double lastPercent_ = -1;
};

}  // namespace velt::platform::cd

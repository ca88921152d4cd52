// Where audio CDs come from: the machine's CD drives (libcdio), or, for tests and machines
// without a drive, folders whose WAV files stand for the tracks of a disc. The ripper component
// (cd_ripper.h) works on these.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velt::platform::cd {

constexpr int kSectorsPerSecond = 75;
constexpr int kBytesPerSector = 2352;  // 588 frames of 16-bit stereo at 44,100 Hz

struct Disc {
    bool present = false;               // a disc is in the drive
    bool audio = false;                 // its first track holds audio
    std::vector<int64_t> trackSectors;  // the leading audio tracks' lengths
    int tracks = 0;                     // every track of the table, data tracks included
};

// One opened drive.
class Drive {
  public:
    virtual ~Drive() = default;
    // Reads the table of contents; `changed` tells whether it differs from the last read.
    virtual Disc readDisc(bool& changed) = 0;
    // Reads `count` sectors of a track from `sector` on, as 16-bit little-endian stereo frames.
    // False when the disc cannot be read there (it was removed, say).
    virtual bool readSectors(int track, int64_t sector, int count, std::vector<uint8_t>& out) = 0;
    virtual void eject() = 0;
    virtual void closeTray() = 0;
    // Reads a whole track for a transfer, sector by sector in order, with error correction
    // where the drive offers it. Nothing when the track can't be read.
    class TrackReader {
      public:
        virtual ~TrackReader() = default;
        virtual bool next(std::vector<uint8_t>& sector) = 0;  // false: read failure
    };
    virtual std::unique_ptr<TrackReader> readTrack(int track, int64_t sectors);
    // The double transfers in steps of the ripper's clock, so tests see the same progress on
    // every machine; real drives transfer on a worker thread as fast as they read.
    virtual bool transfersOnClock() const { return false; }
    // A transfer of the double that never progresses (a drive that does not start it).
    virtual bool stalls() const { return false; }
};

// The drives of the machine or of the double, numbered from 0.
class Drives {
  public:
    virtual ~Drives() = default;
    virtual std::vector<std::string> names() = 0;
    // Nothing when the drive cannot be opened (another program holds it).
    virtual std::unique_ptr<Drive> open(int index) = 0;
};

// The machine's drives, or the folder double when VELTRANE_CD_DRIVES names folders
// ("<folder>[:<folder>...]", one folder a drive): the folder's *.wav files in name order are the
// tracks (44,100 Hz 16-bit stereo); a missing folder is a drive without a disc; a file named
// DATA in it makes a data disc, BUSY a drive another program holds, STALL a transfer that never
// starts.
std::unique_ptr<Drives> systemDrives();
std::unique_ptr<Drives> folderDrives(const std::vector<std::string>& folders);

}  // namespace velt::platform::cd

#include "platform/outside/cd_ripper/cd_drives.h"

namespace velt::platform::cd {

namespace {

// Reads a track through the drive's plain sector reads.
class SectorReader : public Drive::TrackReader {
  public:
    SectorReader(Drive& drive, int track, int64_t sectors)
        : drive_(drive), track_(track), sectors_(sectors) {}
    bool next(std::vector<uint8_t>& sector) override {
        if (at_ >= sectors_ || !drive_.readSectors(track_, at_, 1, sector)) return false;
        ++at_;
        return true;
    }

  private:
    Drive& drive_;
    int track_;
    int64_t sectors_;
    int64_t at_ = 0;
};

}  // namespace

std::unique_ptr<Drive::TrackReader> Drive::readTrack(int track, int64_t sectors) {
    return std::make_unique<SectorReader>(*this, track, sectors);
}

}  // namespace velt::platform::cd

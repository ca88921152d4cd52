// The file-backed input device of tests and machines without sound hardware
// (VELTRANE_WAVEIN_FILE): one device that "hears" a WAV file. From the start of capture its
// position grows with the wall clock, 44.1 samples a millisecond, until the file's last sample;
// then the device is done. The file must hold 44.1 kHz 16-bit PCM, mono or stereo, and capture
// must ask for 44.1 kHz 16-bit, mono or stereo: anything else is BadFormat; a file that cannot be
// read is NoDriver. A mono file sounds on both channels of a stereo capture; a stereo file heard
// by a mono capture is the mean of its two sides. The file is read at open.
//
// Paced by the reader (VELTRANE_WAVEIN_PACED=engine, for tests on busy machines), the position
// also stays at most one period (441 samples, 10 ms) ahead of the end of what has been read: a
// reader that is starved for a while hears the same audio later instead of missing some of it.
// At file speed (VELTRANE_WAVEIN_PACED=file, for tests), the reader alone sets the pace: the
// position is always one period past the end of what has been read, whatever the wall clock
// says, so a reader that reads as soon as audio is there hears the file as fast as it can.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/wave_io/wave_in.h"

namespace velt::platform::wave_in {

// How far ahead of the reader a file device may be.
enum class Pacing {
    WallClock,  // the wall clock alone, like a sound card
    Reader,     // the wall clock, and at most kPacedLeadSamples past the end of the last read
    FileSpeed,  // always kPacedLeadSamples past the end of the last read: no wall clock
};
constexpr int64_t kPacedLeadSamples = 441;

class FileDevices : public Devices {
  public:
    // `clock` (not owned; null: the real clock) paces the capture; it must outlive the devices.
    explicit FileDevices(std::filesystem::path file, const Clock* clock = nullptr,
                         Pacing pacing = Pacing::WallClock)
        : file_(std::move(file)), clock_(clock), pacing_(pacing) {}

    int32_t count() override { return 1; }
    std::string name(int32_t) override { return "WAV File Input"; }
    int32_t open(int32_t id, const Format& format, std::unique_ptr<Capture>& capture) override;

  private:
    std::filesystem::path file_;
    const Clock* clock_;
    Pacing pacing_;
    SteadyClock steady_;
};

// The interleaved samples of a 44.1 kHz 16-bit PCM WAV file, mono or stereo (`channels`, when
// given, gets the count); nullopt with `result` BadFormat for another format or a damaged file,
// NoDriver when it cannot be read.
std::optional<std::vector<int16_t>> readLiveWav(const std::filesystem::path& file, int32_t& result,
                                                int32_t* channels = nullptr);

}  // namespace velt::platform::wave_in

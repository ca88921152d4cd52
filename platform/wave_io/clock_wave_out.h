// The output device that plays in a clock's time without sound: the in-process double of tests
// (under a ManualClock, playback advances only when the test moves the clock) and, with a log
// file, the device of VELTRANE_WAVEOUT_LOG for runs of the real program (under the real clock).
//
// It records every call as an event: the sound's format at open, the stretch started, pause,
// resume, stop (with the frame reached), gain and close, and the frames each stream played. The
// log device appends one line per event to its file, times in ms from the device's creation:
//   "<ms> open <stream> <rate> <channels> <bits> <frames>", "<ms> play <stream> <first> <end>",
//   "<ms> pause|resume|stop|close <stream> <frame>", "<ms> gain <stream> <left> <right>".
#pragma once

#include <filesystem>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/wave_io/wave_out.h"

namespace velt::platform::wave_out {

class ClockWaveOut : public Devices {
  public:
    struct Event {
        enum class Kind { Open, Play, Pause, Resume, Stop, Gain, Close } kind;
        int32_t stream = 0;  // numbered from 1 in order of opening
        int64_t atMs = 0;
        int64_t first = 0, end = 0;  // Play: the stretch; Pause/Resume/Stop/Close: the frame
        int32_t sampleRate = 0, channels = 0, bitsPerSample = 0;  // Open
        Gain gain;                                                // Gain
    };

    // `clock` (not owned) must outlive the devices; null: the real clock. A non-empty `log`
    // makes the logging device.
    explicit ClockWaveOut(const Clock* clock = nullptr, int32_t devices = 1,
                          std::filesystem::path log = {});
    ~ClockWaveOut() override;

    int32_t count() override { return devices_; }
    std::string name(int32_t id) override;
    int32_t open(int32_t id, std::shared_ptr<const PcmSound> sound,
                 std::unique_ptr<Stream>& stream) override;

    int32_t openResult = NoError;  // every open answers this when not NoError
    std::vector<Event> events;
    // Frames played so far by stream n (1-based), counting every stretch and pause.
    int64_t framesPlayed(int32_t stream) const;
    // The gain of the last Gain event of stream n (1.0 each side before any).
    Gain lastGain(int32_t stream) const;

  private:
    friend class ClockStream;
    void record(Event event);
    const Clock& clock() const { return clock_ ? *clock_ : steady_; }

    const Clock* clock_;
    SteadyClock steady_;
    int32_t devices_;
    std::filesystem::path log_;
    int32_t streams_ = 0;
    std::vector<int64_t> played_;  // per stream, updated as its position is reckoned
    std::vector<class ClockStream*> live_;
};

}  // namespace velt::platform::wave_out

// The playing of one PCM sound on the default output device (platform/wave_io): a stretch in
// milliseconds, pause, resume, stop, the position, and the end of the stretch noticed on the
// layer's timing (checked when the stretch should be over, and again shortly after while the
// device lags behind the clock).
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/mci/device.h"
#include "platform/mci/scheduling.h"
#include "platform/wave_io/pcm_sound.h"

namespace velt::platform::mci {

class SoundPlayback {
  public:
    explicit SoundPlayback(Timing& timing) : alarm_(timing) {}
    ~SoundPlayback();
    SoundPlayback(const SoundPlayback&) = delete;
    SoundPlayback& operator=(const SoundPlayback&) = delete;

    // Opens the output for `sound` (closing an earlier one); an error number on failure.
    int32_t open(std::shared_ptr<const PcmSound> sound);
    bool isOpen() const { return handle_ != 0; }
    void close();

    int32_t play(std::optional<int64_t> fromMs, std::optional<int64_t> toMs,
                 std::function<void()> onEnd);
    int32_t pause();
    int32_t resume();
    int32_t stop();
    int32_t seek(int64_t ms);
    int64_t positionMs();
    int64_t lengthMs() const { return sound_ ? sound_->msOfFrames(sound_->frames()) : 0; }
    Mode mode() const { return mode_; }

  private:
    int64_t positionFrameForPlay();
    void watchEnd();
    void checkEnd();

    Alarm alarm_;
    std::shared_ptr<const PcmSound> sound_;
    int32_t handle_ = 0;
    Mode mode_ = Mode::Stopped;
    int64_t endFrame_ = 0;
    int64_t stoppedAt_ = 0;  // the frame a stopped sound stands at
    std::function<void()> onEnd_;
};

// The error of this layer for a result of the output devices.
int32_t fromWaveOut(int32_t result);

}  // namespace velt::platform::mci

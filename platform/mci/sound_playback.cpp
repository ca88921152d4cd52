#include "platform/mci/sound_playback.h"

#include <algorithm>

#include "platform/wave_io/wave_out.h"

namespace velt::platform::mci {

namespace {

// How soon the end is looked at again while the device has not quite played out.
constexpr int64_t kRecheckMs = 10;

}  // namespace

int32_t fromWaveOut(int32_t result) {
    switch (result) {
        case wave_out::NoError:
            return kMciOk;
        case wave_out::NoDevice:
            return kMciNoDevice;
        case wave_out::BadFormat:
            return kMciFormatNotSupported;
        case wave_out::Allocated:
            return kMciBusy;
        default:
            return kMciHardwareFailure;
    }
}

SoundPlayback::~SoundPlayback() {
    close();
}

int32_t SoundPlayback::open(std::shared_ptr<const PcmSound> sound) {
    close();
    int32_t handle = 0;
    int32_t result = wave_out::open(handle, -1, sound);
    if (result != wave_out::NoError) return fromWaveOut(result);
    handle_ = handle;
    sound_ = std::move(sound);
    mode_ = Mode::Stopped;
    stoppedAt_ = 0;
    return kMciOk;
}

void SoundPlayback::close() {
    alarm_.cancel();
    onEnd_ = nullptr;
    if (handle_ != 0) wave_out::close(handle_);
    handle_ = 0;
    mode_ = Mode::Stopped;
}

int32_t SoundPlayback::play(std::optional<int64_t> fromMs, std::optional<int64_t> toMs,
                            std::function<void()> onEnd) {
    if (handle_ == 0) return kMciHardwareFailure;
    const int64_t length = lengthMs();
    if ((fromMs && (*fromMs < 0 || *fromMs > length)) || (toMs && (*toMs < 0 || *toMs > length))) {
        return kMciOutOfRange;
    }
    int64_t first = fromMs ? sound_->framesOfMs(*fromMs) : positionFrameForPlay();
    int64_t end = toMs ? sound_->framesOfMs(*toMs) : sound_->frames();
    if (end < first) return kMciOutOfRange;
    int32_t result = wave_out::play(handle_, first, end);
    if (result != wave_out::NoError) return fromWaveOut(result);
    endFrame_ = end;
    mode_ = Mode::Playing;
    onEnd_ = std::move(onEnd);
    watchEnd();
    return kMciOk;
}

int64_t SoundPlayback::positionFrameForPlay() {
    // A sound played to its end starts again from the beginning, as a user pressing Play expects.
    int64_t at = stoppedAt_;
    if (mode_ != Mode::Stopped) wave_out::position(handle_, at);
    return at >= sound_->frames() ? 0 : at;
}

int32_t SoundPlayback::pause() {
    if (handle_ == 0) return kMciHardwareFailure;
    if (mode_ != Mode::Playing) return kMciOk;
    wave_out::pause(handle_);
    alarm_.cancel();
    mode_ = Mode::Paused;
    return kMciOk;
}

int32_t SoundPlayback::resume() {
    if (handle_ == 0) return kMciHardwareFailure;
    if (mode_ != Mode::Paused) return kMciOk;
    wave_out::resume(handle_);
    mode_ = Mode::Playing;
    watchEnd();
    return kMciOk;
}

int32_t SoundPlayback::stop() {
    if (handle_ == 0) return kMciHardwareFailure;
    alarm_.cancel();
    onEnd_ = nullptr;
    if (mode_ != Mode::Stopped) {
        wave_out::position(handle_, stoppedAt_);
        wave_out::stop(handle_);
    }
    mode_ = Mode::Stopped;
    return kMciOk;
}

int32_t SoundPlayback::seek(int64_t ms) {
    if (handle_ == 0) return kMciHardwareFailure;
    stop();
    stoppedAt_ = sound_->framesOfMs(std::clamp<int64_t>(ms, 0, lengthMs()));
    stoppedAt_ = std::min(stoppedAt_, sound_->frames());
    return kMciOk;
}

int64_t SoundPlayback::positionMs() {
    if (handle_ == 0) return 0;
    int64_t frame = stoppedAt_;
    if (mode_ != Mode::Stopped) wave_out::position(handle_, frame);
    return sound_->msOfFrames(frame);
}

void SoundPlayback::watchEnd() {
    int64_t frame = 0;
    wave_out::position(handle_, frame);
    const int64_t left = std::max<int64_t>(0, endFrame_ - frame);
    // Rounded up, so the check never comes before the last frame has played.
    const int64_t ms = (left * 1000 + sound_->sampleRate - 1) / sound_->sampleRate;
    alarm_.at(alarm_.now() + ms, [this] { checkEnd(); });
}

void SoundPlayback::checkEnd() {
    bool finished = false;
    wave_out::isFinished(handle_, finished);
    if (!finished) {
        alarm_.at(alarm_.now() + kRecheckMs, [this] { checkEnd(); });
        return;
    }
    wave_out::position(handle_, stoppedAt_);
    wave_out::stop(handle_);
    mode_ = Mode::Stopped;
    auto onEnd = std::move(onEnd_);
    onEnd_ = nullptr;
    if (onEnd) onEnd();
}

}  // namespace velt::platform::mci

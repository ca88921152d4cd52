#include "platform/wave_io/sample_ring.h"

#include <new>

namespace velt::platform::wave_in {

bool SampleRing::allocate(size_t frames, int32_t channels) {
    std::lock_guard lock(mutex_);
    try {
        samples_.assign(frames * static_cast<size_t>(channels), 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    channels_ = channels;
    frames_ = frames;
    written_.store(0, std::memory_order_release);
    return true;
}

void SampleRing::write(std::span<const int16_t> samples) {
    std::lock_guard lock(mutex_);
    if (frames_ == 0) return;
    size_t frames = samples.size() / static_cast<size_t>(channels_);
    int64_t at = written_.load(std::memory_order_relaxed);
    for (size_t f = 0; f < frames; ++f, ++at) {
        size_t slot = static_cast<size_t>(at % static_cast<int64_t>(frames_)) * channels_;
        for (int32_t c = 0; c < channels_; ++c) samples_[slot + c] = samples[f * channels_ + c];
    }
    written_.store(at, std::memory_order_release);
}

bool SampleRing::read(int64_t first, std::span<int16_t> out) const {
    std::lock_guard lock(mutex_);
    size_t frames = out.size() / static_cast<size_t>(channels_);
    int64_t written = written_.load(std::memory_order_relaxed);
    if (first < 0 || first < written - static_cast<int64_t>(frames_) ||
        first + static_cast<int64_t>(frames) > written || frames > frames_) {
        return false;
    }
    for (size_t f = 0; f < frames; ++f) {
        size_t slot =
            static_cast<size_t>((first + static_cast<int64_t>(f)) % static_cast<int64_t>(frames_)) *
            channels_;
        for (int32_t c = 0; c < channels_; ++c) out[f * channels_ + c] = samples_[slot + c];
    }
    return true;
}

}  // namespace velt::platform::wave_in

// The ring a capture fills: the newest frames of 16-bit samples, written by the device's thread
// and read by the caller's. Frame numbers count from the first frame ever written.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace velt::platform::wave_in {

class SampleRing {
  public:
    // False when the memory cannot be had.
    bool allocate(size_t frames, int32_t channels);
    // Appends interleaved samples (whole frames), dropping the oldest when full.
    void write(std::span<const int16_t> samples);
    // Frames written so far.
    int64_t written() const { return written_.load(std::memory_order_acquire); }
    // Copies frames first .. first + out.size() / channels - 1; false (and nothing copied) when
    // some of them have not been written or have been overwritten.
    bool read(int64_t first, std::span<int16_t> out) const;

  private:
    mutable std::mutex mutex_;
    std::vector<int16_t> samples_;
    int32_t channels_ = 1;
    size_t frames_ = 0;
    std::atomic<int64_t> written_{0};
};

}  // namespace velt::platform::wave_in

// The Layer III bit reservoir: main-data bytes of recent frames, so that a frame's
// main_data_begin can point back into its predecessors (ISO/IEC 11172-3 2.4.3.4.5).
//
// Only the bytes a back-pointer can reach are kept (511 for MPEG-1) plus the current frame.
// reset() forgets them all: after a loss of sync or a seek the bytes before are foreign.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velt::mpeg::layer3 {

class MainDataReservoir {
  public:
    static constexpr size_t kCapacity = 4096;
    static constexpr size_t kMaxBackPointer = 511;

    enum class Status { Present, Missing, Impossible };

    // Stores the frame's main data and finds where it begins. Present: `mainData` holds the
    // bytes from main_data_begin back to the end of this frame. Missing: the back-pointer
    // reaches before the bytes carried from earlier frames. Impossible: `neededBits` exceed
    // what the reservoir and the frame hold together.
    Status addFrame(std::span<const uint8_t> frameMainData, int mainDataBegin, long neededBits,
                    std::span<const uint8_t>& mainData);

    void reset() { size_ = 0; }
    size_t carried() const { return size_; }

  private:
    std::array<uint8_t, kCapacity> bytes_{};
    size_t size_ = 0;
};

}  // namespace velt::mpeg::layer3

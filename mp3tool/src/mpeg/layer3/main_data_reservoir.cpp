#include "mpeg/layer3/main_data_reservoir.h"

#include <algorithm>
#include <cstring>

namespace velt::mpeg::layer3 {

MainDataReservoir::Status MainDataReservoir::addFrame(std::span<const uint8_t> frameMainData,
                                                      int mainDataBegin, long neededBits,
                                                      std::span<const uint8_t>& mainData) {
    // Keep only what a back-pointer can reach, then append this frame.
    const size_t keep = std::min(size_, kMaxBackPointer);
    if (keep < size_) std::memmove(bytes_.data(), bytes_.data() + (size_ - keep), keep);
    size_ = keep;
    const size_t incoming = std::min(frameMainData.size(), kCapacity - size_);
    if (incoming) std::memcpy(bytes_.data() + size_, frameMainData.data(), incoming);
    const size_t carriedBefore = size_;
    size_ += incoming;
    mainData = {};

    const size_t back = static_cast<size_t>(std::max(mainDataBegin, 0));
    if (back > carriedBefore) return Status::Missing;
    const size_t available = back + incoming;
    if (neededBits < 0 || static_cast<size_t>(neededBits) > available * 8)
        return Status::Impossible;
    mainData = std::span<const uint8_t>(bytes_.data() + (carriedBefore - back), available);
    return Status::Present;
}

}  // namespace velt::mpeg::layer3

// Test helper: writes fields most significant bit first, to craft side information and main
// data.
#pragma once

#include <cstdint>
#include <vector>

namespace velt::mpeg::layer3::test {

class BitWriter {
  public:
    BitWriter& put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (size_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1u) bytes_.back() |= static_cast<uint8_t>(0x80u >> (size_ % 8));
            ++size_;
        }
        return *this;
    }
    // Pads with zero bits up to `bytes` bytes.
    std::vector<uint8_t> bytes(size_t bytes) const {
        std::vector<uint8_t> out = bytes_;
        out.resize(std::max(bytes, out.size()), 0);
        return out;
    }
    size_t bits() const { return size_; }

  private:
    std::vector<uint8_t> bytes_;
    size_t size_ = 0;
};

}  // namespace velt::mpeg::layer3::test

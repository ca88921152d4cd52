// Bounded most-significant-first bit reader over Layer III side information and main data.
// Bits past the end read as 0 and set the overrun flag, so damaged lengths never read foreign
// memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velt::mpeg::layer3 {

class MainDataBits {
  public:
    MainDataBits() = default;
    explicit MainDataBits(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    // The next n bits (0 to 32).
    uint32_t read(int n) {
        uint32_t value = 0;
        for (int i = 0; i < n; ++i) value = (value << 1) | readBit();
        return value;
    }
    uint32_t readBit() {
        const size_t byte = position_ >> 3;
        ++position_;
        if (byte >= bytes_.size()) {
            overrun_ = true;
            return 0;
        }
        return (bytes_[byte] >> (7 - ((position_ - 1) & 7))) & 1u;
    }

    size_t position() const { return position_; }
    void setPosition(size_t bits) { position_ = bits; }
    size_t sizeBits() const { return bytes_.size() * 8; }
    bool overrun() const { return overrun_; }

  private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    bool overrun_ = false;
};

}  // namespace velt::mpeg::layer3

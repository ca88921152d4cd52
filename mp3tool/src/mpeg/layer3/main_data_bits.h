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
        const size_t byte = position_ >> 3;
        if (n > 0 && n <= 24 && byte + 4 <= bytes_.size()) {
            // Well inside the data: the bits lie in the next four bytes.
            const uint32_t word = uint32_t{bytes_[byte]} << 24 | uint32_t{bytes_[byte + 1]} << 16 |
                                  uint32_t{bytes_[byte + 2]} << 8 | bytes_[byte + 3];
            const uint32_t value = (word << (position_ & 7)) >> (32 - n);
            position_ += static_cast<size_t>(n);
            return value;
        }
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

    // The next n bits (0 to 16) without moving on; bits past the end are 0.
    uint32_t peek(int n) const {
        const size_t byte = position_ >> 3;
        uint32_t word = 0;
        for (size_t i = 0; i < 3; ++i) {
            word = (word << 8) | (byte + i < bytes_.size() ? bytes_[byte + i] : 0u);
        }
        return ((word << (position_ & 7)) & 0xffffffu) >> (24 - n);
    }
    // The next 64 bits, left-aligned (bits past the end are 0), without moving on: a whole
    // Huffman pair with its escape and sign bits fits, so decoding reads memory once per pair.
    uint64_t window() const {
        const size_t byte = position_ >> 3;
        uint64_t word = 0;
        if (byte + 8 <= bytes_.size()) {
            // Written out so that the compiler makes it one load and a byte swap.
            const uint8_t* p = bytes_.data() + byte;
            word = uint64_t{p[0]} << 56 | uint64_t{p[1]} << 48 | uint64_t{p[2]} << 40 |
                   uint64_t{p[3]} << 32 | uint64_t{p[4]} << 24 | uint64_t{p[5]} << 16 |
                   uint64_t{p[6]} << 8 | uint64_t{p[7]};
            return word << (position_ & 7);
        }
        for (size_t i = 0; i < 8; ++i)
            word = (word << 8) | (byte + i < bytes_.size() ? bytes_[byte + i] : 0u);
        return word << (position_ & 7);
    }
    // Moves on n bits, as reading them would (past the end sets the overrun flag).
    void skip(int n) {
        position_ += static_cast<size_t>(n);
        if (position_ > sizeBits()) overrun_ = true;
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

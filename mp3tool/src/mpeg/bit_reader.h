// Reads a frame's bits most significant first from a byte buffer, bounded by the valid bytes:
// bits past the end read as 0 and raise the overrun flag, so a frame whose fields claim more
// bits than it holds can be recognised and dropped instead of reading foreign memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt::mpeg {

class BitReader {
  public:
    BitReader() = default;
    BitReader(const std::uint8_t* data, std::size_t bytes) { reset(data, bytes); }

    // Starts over at the first bit of `bytes` valid bytes; clears the overrun flag.
    void reset(const std::uint8_t* data, std::size_t bytes);

    // The next n bits (0 to 32) as an unsigned number; bits past the end are 0.
    std::uint32_t read(int n);
    void skip(std::size_t n) { setPosition(position_ + n); }
    // Moves back n bits (not before the start).
    void giveBack(std::size_t n) { position_ = n > position_ ? 0 : position_ - n; }

    std::size_t position() const { return position_; }  // bits consumed
    // Moves to an absolute bit position; a position past the end counts as an overrun.
    void setPosition(std::size_t bits);
    std::size_t sizeBits() const { return bytes_ * 8; }
    std::size_t bitsLeft() const { return position_ < sizeBits() ? sizeBits() - position_ : 0; }
    // True once any read or skip went past the valid bytes.
    bool overrun() const { return overrun_; }

  private:
    const std::uint8_t* data_ = nullptr;
    std::size_t bytes_ = 0;
    std::size_t position_ = 0;
    bool overrun_ = false;
};

}  // namespace velt::mpeg

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

    // The next n bits (0 to 32) as an unsigned number; bits past the end are 0. Inline: the
    // layer decoders read every sample code through it.
    std::uint32_t read(int n) {
        const std::size_t first = position_ >> 3;
        if (n > 0 && n <= 32 && first + 8 <= bytes_) {
            // Well inside the buffer: eight bytes hold all the bits (written out so that the
            // compiler makes it one load and a byte swap).
            const std::uint8_t* p = data_ + first;
            const std::uint64_t word = std::uint64_t{p[0]} << 56 | std::uint64_t{p[1]} << 48 |
                                       std::uint64_t{p[2]} << 40 | std::uint64_t{p[3]} << 32 |
                                       std::uint64_t{p[4]} << 24 | std::uint64_t{p[5]} << 16 |
                                       std::uint64_t{p[6]} << 8 | std::uint64_t{p[7]};
            const int offset = static_cast<int>(position_ & 7);
            position_ += static_cast<std::size_t>(n);
            return static_cast<std::uint32_t>((word << offset) >> (64 - n));
        }
        return readNearEnd(n);
    }
    // The next n bytes, as n reads of 8 bits would give them (a copy when on a byte boundary).
    void readBytes(std::uint8_t* out, std::size_t n);
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
    std::uint32_t readNearEnd(int n);

    const std::uint8_t* data_ = nullptr;
    std::size_t bytes_ = 0;
    std::size_t position_ = 0;
    bool overrun_ = false;
};

}  // namespace velt::mpeg

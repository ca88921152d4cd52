// Bounded most-significant-first bit reading.
#include "mpeg/bit_reader.h"

#include <cstring>

namespace velt::mpeg {

void BitReader::reset(const std::uint8_t* data, std::size_t bytes) {
    data_ = data;
    bytes_ = data ? bytes : 0;
    position_ = 0;
    overrun_ = false;
}

void BitReader::setPosition(std::size_t bits) {
    position_ = bits;
    if (position_ > sizeBits()) overrun_ = true;
}

// The reads read() does not take inline: none or more than 32 bits, or bits near the end.
std::uint32_t BitReader::readNearEnd(int n) {
    if (n <= 0) return 0;
    if (n > 32) n = 32;
    const std::size_t first = position_ >> 3;
    const int offset = static_cast<int>(position_ & 7);
    if (first + 8 <= bytes_) return read(n);
    // Near the end: gather the (at most five) bytes that hold the bits; missing bytes count as
    // zeros.
    const int byteCount = (offset + n + 7) >> 3;
    std::uint64_t acc = 0;
    for (int i = 0; i < byteCount; ++i) {
        const std::size_t index = first + static_cast<std::size_t>(i);
        acc = (acc << 8) | (index < bytes_ ? data_[index] : 0u);
    }
    const int unusedLow = byteCount * 8 - offset - n;
    position_ += static_cast<std::size_t>(n);
    if (position_ > sizeBits()) overrun_ = true;
    const std::uint64_t mask = (std::uint64_t{1} << n) - 1;
    return static_cast<std::uint32_t>((acc >> unusedLow) & mask);
}

void BitReader::readBytes(std::uint8_t* out, std::size_t n) {
    if ((position_ & 7) != 0) {
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(read(8));
        return;
    }
    // On a byte boundary: a plain copy of what is there, zeros for what is not.
    const std::size_t first = position_ >> 3;
    const std::size_t available = first < bytes_ ? bytes_ - first : 0;
    const std::size_t copied = n < available ? n : available;
    if (copied > 0) std::memcpy(out, data_ + first, copied);
    if (copied < n) std::memset(out + copied, 0, n - copied);
    position_ += 8 * n;
    if (position_ > sizeBits()) overrun_ = true;
}

}  // namespace velt::mpeg

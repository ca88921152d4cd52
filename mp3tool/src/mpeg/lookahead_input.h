// A byte input that can look ahead of its read position: the bytes looked at are held and served
// again, in order, by the reads that follow. The frame reader looks at the headers that follow
// a frame before it takes the frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mpeg/byte_input.h"

namespace velt::mpeg {

class LookaheadInput : public ByteInput {
  public:
    explicit LookaheadInput(ByteInput& source);

    // Reads exactly n bytes, the held ones first (the source's rules otherwise).
    int read(std::uint8_t* buffer, std::size_t n) override;

    // Copies the n bytes that lie `offset` bytes past the read position, without moving it:
    // 0, -514 when the input ends before them, or the source's code. Bytes taken from the
    // source are held whatever the result, so an end found here loses nothing a read could
    // still have delivered.
    int peek(std::size_t offset, std::uint8_t* buffer, std::size_t n);

    // Forgets the held bytes (the source has been repositioned).
    void clear();

  private:
    ByteInput& source_;
    std::vector<std::uint8_t> held_;
    std::size_t next_ = 0;  // the first held byte not read yet
};

}  // namespace velt::mpeg

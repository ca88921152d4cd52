// Reading with look-ahead over another byte input.
#include "mpeg/lookahead_input.h"

#include <algorithm>
#include <cstring>

#include "mpeg/result_codes.h"

namespace velt::mpeg {

namespace {
// Two of the largest frames and their headers fit without growing the buffer.
constexpr std::size_t kHeldBytes = 8192;
}  // namespace

LookaheadInput::LookaheadInput(ByteInput& source) : source_(source) {
    held_.reserve(kHeldBytes);
}

int LookaheadInput::read(std::uint8_t* buffer, std::size_t n) {
    const std::size_t held = held_.size() - next_;
    if (held == 0) return source_.read(buffer, n);
    const std::size_t first = std::min(n, held);
    if (first < n) {
        const int r = source_.read(buffer + first, n - first);
        if (r != kOk) {
            // Whole pieces only: at the end the held bytes go with the short last piece.
            if (r == kEndOfStream) clear();
            return r;
        }
    }
    std::memcpy(buffer, held_.data() + next_, first);
    next_ += first;
    if (next_ == held_.size()) clear();
    return kOk;
}

int LookaheadInput::peek(std::size_t offset, std::uint8_t* buffer, std::size_t n) {
    if (next_ > 0) {
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(next_));
        next_ = 0;
    }
    // One byte at a time, so that the bytes before an end are kept (a whole-piece read of the
    // rest would lose them). Look-ahead is rare: only where a frame changes the stream's kind.
    while (held_.size() < offset + n) {
        std::uint8_t byte;
        const int r = source_.read(&byte, 1);
        if (r != kOk) return r;
        held_.push_back(byte);
    }
    std::memcpy(buffer, held_.data() + offset, n);
    return kOk;
}

void LookaheadInput::clear() {
    held_.clear();
    next_ = 0;
}

}  // namespace velt::mpeg

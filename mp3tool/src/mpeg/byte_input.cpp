// Reading a byte buffer in whole blocks.
#include "mpeg/byte_input.h"

#include <cstring>

#include "mpeg/result_codes.h"

namespace velt::mpeg {

int MemoryInput::read(std::uint8_t* buffer, std::size_t n) {
    if (n > bytes_.size() - position_) {
        position_ = bytes_.size();
        return kEndOfStream;
    }
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return kOk;
}

}  // namespace velt::mpeg

// Where the frame reader gets its bytes: the codec module adapts the decoder tool's input to
// it, tests use a buffer in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velt::mpeg {

class ByteInput {
  public:
    virtual ~ByteInput() = default;
    // Reads exactly n bytes: 0 on success, else a negative code (-514 at the end of the input).
    // A final piece shorter than n is not delivered.
    virtual int read(std::uint8_t* buffer, std::size_t n) = 0;
};

// Serves a byte buffer; its reads follow the whole-blocks-only rule of the file input.
class MemoryInput : public ByteInput {
  public:
    explicit MemoryInput(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    int read(std::uint8_t* buffer, std::size_t n) override;
    std::size_t position() const { return position_; }
    void seek(std::size_t position) {
        position_ = position < bytes_.size() ? position : bytes_.size();
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace velt::mpeg

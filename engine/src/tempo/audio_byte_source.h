// The byte access that the tempo scan needs of the audio file: seek to an absolute offset and read
// a run of bytes. The run reads its open WAV file through it; tests feed audio held in memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt::engine {

class AudioByteSource {
  public:
    virtual ~AudioByteSource() = default;
    // Moves to an absolute byte offset of the file; false when the position cannot be reached.
    virtual bool seek(int64_t position) = 0;
    // Reads count bytes at the current position; false unless all of them were read.
    virtual bool read(uint8_t* into, size_t count) = 0;
};

}  // namespace velt::engine

// PCM WAV files: where a file's format and samples lie (a walk of the RIFF chunk list), and a
// writer whose file is either complete, with sizes that match its samples, or gone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace velt::platform::wav {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;

// What the "fmt " and "data" chunks say. An extensible header whose subformat is PCM reports
// formatTag 1 (sox writes every 24- and 32-bit file that way); float stays 3.
struct Layout {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint64_t dataOffset = 0;  // first sample byte
    uint64_t dataBytes = 0;   // held to what the file really holds after dataOffset
    uint64_t fileBytes = 0;

    bool isPcm() const { return formatTag == kTagPcm; }
    uint64_t frames() const { return blockAlign ? dataBytes / blockAlign : 0; }
    double seconds() const { return sampleRate ? static_cast<double>(frames()) / sampleRate : 0; }
};

enum class ReadProblem {
    None,
    Missing,     // no such file
    Unreadable,  // cannot be opened or read
    NotRiff,     // no RIFF....WAVE at the start
    NoFormat,    // no complete "fmt " chunk
    NoData,      // no "data" chunk
};

// Walks the chunk list (id, size, padding to an even size) from byte 12. A "data" chunk whose
// size reaches past the end of the file (an unfinished recording) is held to the file's end.
// Returns nothing when the file is not a readable WAV file; `problem` then says why.
std::optional<Layout> readLayout(const std::filesystem::path& file, ReadProblem* problem = nullptr);

struct Format {
    uint16_t channels = 2;
    uint32_t sampleRate = 44100;
    uint16_t bitsPerSample = 16;  // 8 (unsigned samples), 16, 24 or 32
};

// Writes a canonical 44-byte-header PCM WAV file. The header is written with zero sizes at open
// and rewritten by close(); a writer destroyed without a successful close(), or one whose write
// or close failed, removes its file, so no half-written file is ever left behind.
class Writer {
  public:
    Writer() = default;
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Creates (or replaces) the file. False when the format is not one we write, the path names
    // something other than a regular file (a device, a fifo, a folder, a link), or the file
    // cannot be created.
    bool open(const std::filesystem::path& file, const Format& format);
    // Appends interleaved sample bytes (whole frames are expected; sizes beyond 4 GiB fail).
    bool write(const void* bytes, size_t count);
    // Rewrites the sizes and closes. False (and the file removed) when anything failed.
    bool close();
    // Closes and removes the file.
    void abandon();

    bool isOpen() const { return file_ != nullptr; }
    uint64_t dataBytes() const { return dataBytes_; }
    const std::filesystem::path& path() const { return path_; }
    // The system's error number of the first failure since open (ENOSPC for a full disk, EFBIG
    // for a file too large); 0 when nothing failed, or when open refused the format or the path.
    int error() const { return error_; }

  private:
    bool noteError(int error);  // keeps the first failure's number; false
    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    Format format_;
    uint64_t dataBytes_ = 0;
    bool failed_ = false;
    int error_ = 0;
};

}  // namespace velt::platform::wav

#include "platform/wav/wav_file.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

namespace velt::platform::wav {

namespace {

uint16_t le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void put16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::optional<Layout> fail(ReadProblem* problem, ReadProblem why) {
    if (problem) *problem = why;
    return std::nullopt;
}

// The PCM subformat GUID's first two bytes are the tag; the remaining 14 are fixed.
constexpr std::array<unsigned char, 14> kSubformatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

}  // namespace

std::optional<Layout> readLayout(const std::filesystem::path& path, ReadProblem* problem) {
    if (problem) *problem = ReadProblem::None;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return fail(problem, ReadProblem::Missing);
    if (!std::filesystem::is_regular_file(path, ec)) return fail(problem, ReadProblem::Unreadable);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return fail(problem, ReadProblem::Unreadable);
    const uint64_t fileBytes = std::filesystem::file_size(path, ec);
    if (ec) return fail(problem, ReadProblem::Unreadable);

    unsigned char head[12];
    if (std::fread(head, 1, sizeof head, file.get()) != sizeof head ||
        std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) {
        return fail(problem, ReadProblem::NotRiff);
    }

    Layout layout;
    layout.fileBytes = fileBytes;
    bool haveFormat = false;
    uint64_t at = 12;
    while (at + 8 <= fileBytes) {
        unsigned char chunk[8];
        if (std::fseek(file.get(), static_cast<long>(at), SEEK_SET) != 0 ||
            std::fread(chunk, 1, 8, file.get()) != 8) {
            return fail(problem, ReadProblem::Unreadable);
        }
        const uint64_t size = le32(chunk + 4);
        const uint64_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[40] = {};
            const size_t want = size < sizeof fmt ? static_cast<size_t>(size) : sizeof fmt;
            if (size < 16 || std::fread(fmt, 1, want, file.get()) != want) {
                return fail(problem, ReadProblem::NoFormat);
            }
            layout.formatTag = le16(fmt);
            layout.channels = le16(fmt + 2);
            layout.sampleRate = le32(fmt + 4);
            layout.byteRate = le32(fmt + 8);
            layout.blockAlign = le16(fmt + 12);
            layout.bitsPerSample = le16(fmt + 14);
            if (layout.formatTag == kTagExtensible) {
                // cbSize(2) validBits(2) channelMask(4) then the subformat GUID at byte 24.
                const bool complete = want >= 40 && le16(fmt + 16) >= 22;
                const bool knownTail = complete && std::memcmp(fmt + 26, kSubformatTail.data(),
                                                               kSubformatTail.size()) == 0;
                layout.formatTag = knownTail ? le16(fmt + 24) : kTagExtensible;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return fail(problem, ReadProblem::NoFormat);
            layout.dataOffset = body;
            const uint64_t held = fileBytes - body;
            layout.dataBytes = size < held ? size : held;
            return layout;
        }
        at = body + size + (size & 1);
    }
    return fail(problem, haveFormat ? ReadProblem::NoData : ReadProblem::NoFormat);
}

Writer::~Writer() {
    if (file_) abandon();
}

bool Writer::open(const std::filesystem::path& path, const Format& format) {
    if (file_) abandon();
    error_ = 0;
    const uint16_t bits = format.bitsPerSample;
    if (format.channels == 0 || format.sampleRate == 0 ||
        (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        return false;
    }
    // Only a regular file is ever written (and so perhaps removed again): a device, a fifo or a
    // folder named as the target is refused, never replaced.
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return false;
    path_ = path;
    format_ = format;
    dataBytes_ = 0;
    failed_ = false;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return noteError(errno);
    unsigned char header[44] = {};
    if (std::fwrite(header, 1, sizeof header, file_) != sizeof header) {
        noteError(errno);
        abandon();
        return false;
    }
    return true;
}

bool Writer::noteError(int error) {
    // A failure the library reports without a number of its own is an input/output error.
    if (error_ == 0) error_ = error != 0 ? error : EIO;
    return false;
}

bool Writer::write(const void* bytes, size_t count) {
    if (!file_ || failed_) return false;
    // The RIFF size field must hold 36 + data bytes.
    if (dataBytes_ + count > 0xFFFFFFFFull - 37) {
        failed_ = true;
        return noteError(EFBIG);
    }
    if (std::fwrite(bytes, 1, count, file_) != count) {
        failed_ = true;
        return noteError(errno);
    }
    dataBytes_ += count;
    return true;
}

bool Writer::close() {
    if (!file_) return false;
    if (failed_) {
        abandon();
        return false;
    }
    const uint16_t blockAlign =
        static_cast<uint16_t>(format_.channels * (format_.bitsPerSample / 8));
    const uint32_t dataSize = static_cast<uint32_t>(dataBytes_);
    // A data chunk of odd size is padded to keep the chunk list walkable.
    const uint32_t pad = dataSize & 1;
    unsigned char header[44];
    std::memcpy(header, "RIFF", 4);
    put32(header + 4, 36 + dataSize + pad);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, 16);
    put16(header + 20, kTagPcm);
    put16(header + 22, format_.channels);
    put32(header + 24, format_.sampleRate);
    put32(header + 28, format_.sampleRate * blockAlign);
    put16(header + 32, blockAlign);
    put16(header + 34, format_.bitsPerSample);
    std::memcpy(header + 36, "data", 4);
    put32(header + 40, dataSize);
    const bool ok = (!pad || std::fputc(0, file_) != EOF) && std::fseek(file_, 0, SEEK_SET) == 0 &&
                    std::fwrite(header, 1, sizeof header, file_) == sizeof header &&
                    std::fflush(file_) == 0;
    if (!ok) {
        noteError(errno);
        abandon();
        return false;
    }
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) {
        noteError(errno);
        std::error_code ec;
        std::filesystem::remove(path_, ec);
        return false;
    }
    return true;
}

void Writer::abandon() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove(path_, ec);
}

}  // namespace velt::platform::wav

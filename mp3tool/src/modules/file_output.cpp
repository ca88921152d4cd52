#include "modules/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "modules/wav_header.h"

namespace velt::mp3 {

namespace {

enum class Form { Raw, Wav, Aiff, Sun };

constexpr int kDefaultRate = 44100;
constexpr int kDefaultChannels = 2;
// Many frames go out in one system call.
constexpr std::size_t kWriteBufferBytes = 256 * 1024;

// Writes all n bytes, resuming after interruptions and short writes; returns how many reached
// the file (fewer than n when the file refuses more: a full disk, a size limit, a closed pipe),
// with the system's reason in `error` then.
std::size_t writeAll(int fd, const std::uint8_t* data, std::size_t n, int& error) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::write(fd, data + done, n - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
        } else if (r < 0 && errno == EINTR) {
            continue;
        } else {
            error = r < 0 ? errno : ENOSPC;  // a write of nothing: no room for more
            break;
        }
    }
    return done;
}

// A descriptor this module opened itself, closed when it goes.
class OwnedDescriptor {
  public:
    explicit OwnedDescriptor(int fd) : fd_(fd) {}
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    ~OwnedDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

bool sameFile(int a, int b) {
    struct stat sa {};
    struct stat sb {};
    return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The file is written through the system's own calls with a buffer of its own, so that the
// count of bytes that reached the file is known exactly, also after a failed write: the final
// WAV header then describes the whole sample frames the file holds, not what was meant for it.
class FileOutput : public OutputInstance {
  public:
    FileOutput(std::string_view name, ControlBlock& control) : name_(name), control_(control) {}
    ~FileOutput() override {
        // Deleting without close leaves the file as it is on disk.
        if (ownsFile_) ::close(fd_);
    }

    int open() override {
        bytesWritten_ = 0;
        bytesInFile_ = 0;
        buffered_ = 0;
        headerWritten_ = false;
        refused_ = false;
        failed_ = false;
        writeError_ = 0;
        sampleRate_ = kDefaultRate;
        channels_ = kDefaultChannels;

        std::string_view rest = name_;
        form_ = Form::Raw;
        struct Prefix {
            std::string_view text;
            Form form;
        };
        for (const Prefix& p : {Prefix{"raw:", Form::Raw}, Prefix{"wav:", Form::Wav},
                                Prefix{"aiff:", Form::Aiff}, Prefix{"sun:", Form::Sun}}) {
            if (rest.substr(0, p.text.size()) == p.text) {
                form_ = p.form;
                rest.remove_prefix(p.text.size());
                break;
            }
        }
        if (buffer_.empty()) buffer_.resize(kWriteBufferBytes);
        if (rest == "-") {
            fd_ = STDOUT_FILENO;
            ownsFile_ = false;
            findStandardOutputStart();
            return kOk;
        }
        const std::string path(rest);
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            const int error = errno;
            if (error == EACCES) {
                control_.reportError(kPermissionDenied, "cannot open output file",
                                     "permission denied");
                return kPermissionDenied;
            }
            control_.reportError(kOpenFailed, "cannot open output file", std::strerror(error));
            return kOpenFailed;
        }
        ownsFile_ = true;
        start_ = 0;
        appending_ = false;
        return kOk;
    }

    std::int64_t write(std::span<const std::uint8_t> data, int /*bytesPerSample*/, int channels,
                       int sampleRate) override {
        if (fd_ < 0 || failed_) return 0;
        if (!headerWritten_) {
            sampleRate_ = sampleRate;
            channels_ = channels;
            headerWritten_ = true;
            if (form_ == Form::Wav) {
                const auto header = makeWavHeader(0, channels_, sampleRate_);
                if (!put(header)) return 0;
            }
        }
        if (form_ == Form::Wav && bytesWritten_ + data.size() > kWavMaxDataBytes) {
            failed_ = true;  // the header could not describe the file
            return 0;
        }
        if (!put(data)) return 0;
        bytesWritten_ += data.size();
        return static_cast<std::int64_t>(data.size());
    }

    int close() override {
        if (fd_ < 0) return kOk;
        // After the file refused bytes the buffered rest is not written: it ends where it failed.
        if (!refused_ && !flush()) failed_ = true;
        buffered_ = 0;
        // The final header, where the file can go back to where this output began (not a pipe).
        const bool headerFailed =
            form_ == Form::Wav && start_ && ::lseek(fd_, 0, SEEK_CUR) >= 0 && !finishHeader();
        // The system's reason first (a full disk says "No space left on device"), then the header.
        std::string detail = writeError_ != 0 ? std::strerror(writeError_) : "";
        if (headerFailed) {
            failed_ = true;
            detail += detail.empty() ? "header not written" : ", header not written";
        }
        if (!detail.empty()) control_.reportError(kWriteFailed, "cannot write output file", detail);
        if (ownsFile_ && ::close(fd_) != 0) failed_ = true;
        fd_ = -1;
        ownsFile_ = false;
        return failed_ ? kWriteFailed : kOk;
    }

  private:
    // Standard output may be a file that already holds bytes before this output's first one
    // (`{ printf x; mpunpack in.mp3 -; } > f`) or one opened to append (`>> f`): the header
    // belongs where this output begins, not at the file's start. Appended writes land at the
    // file's end, which is where this output begins when nothing else writes to the file.
    void findStandardOutputStart() {
        start_.reset();
        const int flags = ::fcntl(fd_, F_GETFL);
        appending_ = flags >= 0 && (flags & O_APPEND) != 0;
        if (appending_) {
            struct stat st {};
            if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) start_ = st.st_size;
            return;
        }
        if (const off_t at = ::lseek(fd_, 0, SEEK_CUR); at >= 0) start_ = at;
    }

    // Adds bytes to the buffer, writing it out whenever it is full; false (and failed) when the
    // file refused some of it.
    bool put(std::span<const std::uint8_t> data) {
        while (!data.empty()) {
            const std::size_t n = std::min(data.size(), buffer_.size() - buffered_);
            std::memcpy(buffer_.data() + buffered_, data.data(), n);
            buffered_ += n;
            data = data.subspan(n);
            if (buffered_ == buffer_.size() && !flush()) {
                failed_ = true;
                return false;
            }
        }
        return true;
    }

    bool flush() {
        const std::size_t done = writeAll(fd_, buffer_.data(), buffered_, writeError_);
        bytesInFile_ += done;
        if (done != buffered_) refused_ = true;
        buffered_ = 0;
        return !refused_;
    }

    // Rewrites the header where this output began with the sizes the file really has: after the
    // file refused bytes, the whole sample frames that reached it (a piece of a frame at the end is
    // cut off). False when the header could not be written. A file opened to append places every
    // write at its end, so the header goes through a descriptor of its own on the same file, when
    // this output's bytes are still the file's last ones; else the streaming header stays.
    bool finishHeader() {
        std::optional<OwnedDescriptor> placing;
        int fd = fd_;
        if (appending_) {
            struct stat st {};
            if (::fstat(fd_, &st) != 0 ||
                static_cast<std::uint64_t>(st.st_size - *start_) != bytesInFile_) {
                return true;
            }
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            placing.emplace(::open(self.c_str(), O_WRONLY | O_CLOEXEC));
            if (placing->get() < 0 || !sameFile(placing->get(), fd_)) return true;
            fd = placing->get();
        }
        const off_t start = *start_;
        std::uint64_t dataBytes = bytesWritten_;
        if (refused_) {
            const std::uint64_t inFile =
                bytesInFile_ > kWavHeaderSize ? bytesInFile_ - kWavHeaderSize : 0;
            const std::uint64_t frame = static_cast<std::uint64_t>(std::max(channels_, 1)) * 2;
            dataBytes = std::min(inFile - inFile % frame, bytesWritten_);
            if (bytesInFile_ > kWavHeaderSize + dataBytes) {
                // Shortening a file needs no room; should it fail, the header still counts only
                // the whole frames.
                [[maybe_unused]] const int r =
                    ::ftruncate(fd, start + static_cast<off_t>(kWavHeaderSize + dataBytes));
            }
        }
        const auto header =
            makeWavHeader(static_cast<std::uint32_t>(dataBytes), channels_, sampleRate_);
        std::size_t done = 0;
        while (done < header.size()) {
            const ssize_t r = ::pwrite(fd, header.data() + done, header.size() - done,
                                       start + static_cast<off_t>(done));
            if (r > 0) {
                done += static_cast<std::size_t>(r);
            } else if (r < 0 && errno == EINTR) {
                continue;
            } else {
                return false;
            }
        }
        return true;
    }

    std::string name_;
    ControlBlock& control_;
    std::vector<std::uint8_t> buffer_;
    std::size_t buffered_ = 0;
    int fd_ = -1;
    bool ownsFile_ = false;       // standard output is left open
    std::optional<off_t> start_;  // where this output's first byte is in the file; none: a pipe
    bool appending_ = false;      // every write goes to the file's end (O_APPEND)
    Form form_ = Form::Raw;
    std::uint64_t bytesWritten_ = 0;  // data bytes taken (the header not included)
    std::uint64_t bytesInFile_ = 0;   // bytes that reached the file, the header included
    int sampleRate_ = kDefaultRate;
    int channels_ = kDefaultChannels;
    bool headerWritten_ = false;
    bool refused_ = false;  // the file took fewer bytes than it was given
    int writeError_ = 0;    // the system's reason for the refusal (errno)
    bool failed_ = false;   // refused, too large for the header, or not closed cleanly
};

int describe(ModuleDescription& d, int flags) {
    if (flags & kInfoName) {
        d.name = "Output To File";
        d.version = "Version 1.2";
    }
    if (flags & kInfoDevices) d.devices = 3;
    if (flags & kInfoDevice) {
        switch (d.device) {
            case 0:
                d.deviceName = "*, or raw:*";
                d.deviceDescription = "file name (raw PCM format)";
                d.deviceIsFile = true;
                break;
            case 1:
                d.deviceName = "wav:*";
                d.deviceDescription = "file name (WAV format)";
                d.deviceIsFile = true;
                break;
            case 2:
                d.deviceName = std::string("-");
                d.deviceDescription = "standard output";
                d.deviceIsFile = false;
                break;
            default:
                return kInvalidParameters;
        }
    }
    return kOk;
}

}  // namespace

OutputModule fileOutputModule() {
    OutputModule module;
    module.probe = [](std::string_view) { return 0; };
    module.info = describe;
    module.create = [](std::unique_ptr<OutputInstance>& instance, std::string_view name, int,
                       ControlBlock& control) {
        if (name.empty()) {
            control.reportError(kInvalidParameters, "internal error",
                                "null params or null/empty output name");
            return static_cast<int>(kInvalidParameters);
        }
        instance = std::make_unique<FileOutput>(name, control);
        return static_cast<int>(kOk);
    };
    return module;
}

}  // namespace velt::mp3

#include "modules/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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
constexpr std::size_t kWriteBufferBytes = 256 * 1024;

class FileOutput : public OutputInstance {
  public:
    FileOutput(std::string_view name, ControlBlock& control) : name_(name), control_(control) {}
    ~FileOutput() override {
        // Deleting without close leaves the file as it is on disk.
        if (file_ != nullptr && file_ != stdout) std::fclose(file_);
    }

    int open() override {
        bytesWritten_ = 0;
        headerWritten_ = false;
        failed_ = false;
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
        if (rest == "-") {
            file_ = stdout;
            return kOk;
        }
        const std::string path(rest);
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr) {
            const int error = errno;
            if (error == EACCES) {
                control_.reportError(kPermissionDenied, "cannot open output file",
                                     "permission denied");
                return kPermissionDenied;
            }
            control_.reportError(kOpenFailed, "cannot open output file", std::strerror(error));
            return kOpenFailed;
        }
        // A frame is a few kilobytes: a large buffer makes one system call out of many frames
        // (stdio's default of one disk block writes every frame on its own). Errors still show
        // at the next write or at close, as with any buffered file. The buffer is set up once;
        // it must outlive the file, so it belongs to this instance and is never reallocated.
        if (buffer_.empty()) {
            buffer_.resize(kWriteBufferBytes);
            std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
        }
        return kOk;
    }

    std::int64_t write(std::span<const std::uint8_t> data, int /*bytesPerSample*/, int channels,
                       int sampleRate) override {
        if (file_ == nullptr) return 0;
        if (!headerWritten_) {
            sampleRate_ = sampleRate;
            channels_ = channels;
            headerWritten_ = true;
            if (form_ == Form::Wav && !writeHeader(0)) failed_ = true;
        }
        if (form_ == Form::Wav && bytesWritten_ + data.size() > kWavMaxDataBytes) {
            failed_ = true;  // the header could not describe the file
            return 0;
        }
        if (std::fwrite(data.data(), 1, data.size(), file_) != data.size()) {
            failed_ = true;
            return 0;
        }
        bytesWritten_ += data.size();
        return static_cast<std::int64_t>(data.size());
    }

    int close() override {
        if (file_ == nullptr) return kOk;
        if (form_ == Form::Wav) {
            // The final header, where the file can go back to its start (not a pipe).
            if (std::fflush(file_) != 0) failed_ = true;
            if (fseeko(file_, 0, SEEK_SET) == 0) {
                if (!writeHeader(static_cast<std::uint32_t>(bytesWritten_))) failed_ = true;
            }
        }
        if (file_ == stdout) {
            if (std::fflush(file_) != 0) failed_ = true;
        } else if (std::fclose(file_) != 0) {
            failed_ = true;
        }
        file_ = nullptr;
        return failed_ ? kWriteFailed : kOk;
    }

  private:
    bool writeHeader(std::uint32_t dataBytes) {
        const auto header = makeWavHeader(dataBytes, channels_, sampleRate_);
        return std::fwrite(header.data(), 1, header.size(), file_) == header.size();
    }

    std::string name_;
    ControlBlock& control_;
    std::vector<char> buffer_;  // declared before file_: closed in the destructor body first
    std::FILE* file_ = nullptr;
    Form form_ = Form::Raw;
    std::uint64_t bytesWritten_ = 0;
    int sampleRate_ = kDefaultRate;
    int channels_ = kDefaultChannels;
    bool headerWritten_ = false;
    bool failed_ = false;
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

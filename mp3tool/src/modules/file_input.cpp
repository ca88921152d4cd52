#include "modules/file_input.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "modules/id3v1.h"

namespace velt::mp3 {

namespace {

constexpr std::string_view kStandardInput = "-";

bool endsWithMp3(const std::string& name) {
    // Exactly lower case, and a name of more than the extension alone.
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".mp3") == 0;
}

class FileInput : public InputInstance {
  public:
    FileInput(std::string_view name, ControlBlock& control) : name_(name), control_(control) {}
    ~FileInput() override { closeFile(); }

    int open() override {
        closeFile();
        if (name_ == kStandardInput) {
            file_ = stdin;
            return kOk;
        }
        file_ = std::fopen(name_.c_str(), "rb");
        if (file_ == nullptr) return openFailure(errno);
        struct stat info {};
        if (fstat(fileno(file_), &info) == 0) {
            // A folder opens for reading on this system but yields no bytes: refuse it here.
            if (S_ISDIR(info.st_mode)) {
                closeFile();
                return openFailure(EISDIR);
            }
            regular_ = S_ISREG(info.st_mode);
        }
        if (endsWithMp3(name_)) readId3v1();
        return kOk;
    }

    int close() override {
        closeFile();
        return kOk;
    }

    std::int64_t read(std::span<std::uint8_t> buffer) override {
        if (file_ == nullptr) return kReadFailed;
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file_);
        if (got < buffer.size() && std::ferror(file_)) return kReadFailed;
        return static_cast<std::int64_t>(got);
    }

    int seek(std::uint64_t offset) override {
        if (file_ == nullptr || file_ == stdin) return -1;
        return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 ? 0 : -1;
    }

    bool seekable() override { return file_ != nullptr && file_ != stdin && regular_; }

    std::uint64_t size() override {
        if (file_ == nullptr || file_ == stdin) return 0;
        struct stat info {};
        if (fstat(fileno(file_), &info) != 0 || info.st_size < 0) return 0;
        return static_cast<std::uint64_t>(info.st_size);
    }

  private:
    int openFailure(int error) {
        if (error == ENOENT) {
            control_.reportError(kNoSuchFile, "cannot open input file", "file not found");
            return kNoSuchFile;
        }
        if (error == EACCES) {
            control_.reportError(kPermissionDenied, "cannot open input file", "permission denied");
            return kPermissionDenied;
        }
        control_.reportError(kOpenFailed, "cannot open input file", std::strerror(error));
        return kOpenFailed;
    }

    // Publishes the tag at the end of the file, then goes back to the start either way.
    void readId3v1() {
        std::array<std::uint8_t, kId3v1Size> tag{};
        if (fseeko(file_, -static_cast<off_t>(kId3v1Size), SEEK_END) != 0) return;
        if (std::fread(tag.data(), 1, tag.size(), file_) == tag.size()) publishId3v1(tag, control_);
        fseeko(file_, 0, SEEK_SET);
    }

    void closeFile() {
        if (file_ != nullptr && file_ != stdin) std::fclose(file_);
        file_ = nullptr;
        regular_ = false;
    }

    std::string name_;
    ControlBlock& control_;
    std::FILE* file_ = nullptr;
    bool regular_ = false;
};

int describe(ModuleDescription& d, int flags) {
    if (flags & kInfoName) {
        d.name = "Input From File";
        d.version = "Version 1.2";
    }
    if (flags & kInfoDevices) d.devices = 2;
    if (flags & kInfoDevice) {
        switch (d.device) {
            case 0:
                d.deviceName = std::string("*");
                d.deviceDescription = "any file name";
                d.deviceIsFile = true;
                break;
            case 1:
                d.deviceName = std::string("-");
                d.deviceDescription = "standard input";
                d.deviceIsFile = false;
                break;
            default:
                return kInvalidParameters;
        }
    }
    return kOk;
}

}  // namespace

InputModule fileInputModule() {
    InputModule module;
    module.probe = [](std::string_view) { return 0; };
    module.info = describe;
    module.create = [](std::unique_ptr<InputInstance>& instance, std::string_view name, int,
                       ControlBlock& control) {
        if (name.empty()) {
            control.reportError(kInvalidParameters, "internal error",
                                "null params or null/empty input name");
            return static_cast<int>(kInvalidParameters);
        }
        instance = std::make_unique<FileInput>(name, control);
        return static_cast<int>(kOk);
    };
    return module;
}

}  // namespace velt::mp3

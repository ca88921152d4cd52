// Scripted modules for framework tests: an input that serves bytes from memory (and can fail at a
// chosen offset), an output that records what it receives, and a codec that follows a script of
// steps. Each module shares a Log with the test so that the test can look inside after the
// framework has taken ownership of the instances.
#pragma once

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "framework/codec_module.h"
#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "framework/input_module.h"
#include "framework/output_module.h"

namespace velt::mp3::fake {

struct Log {
    // Input.
    std::vector<std::uint8_t> inputBytes;
    bool inputSeekable = true;
    std::int64_t failReadAt = -1;  // a read reaching this offset fails with kReadFailed
    int inputInstancesCreated = 0;
    int inputOpens = 0;
    // Output.
    std::vector<std::uint8_t> written;
    std::vector<int> controlMasks;
    int outputCloseResult = kOk;
    int writesBeforeFailure = -1;  // from then on every write takes nothing (-1: never)
    bool outputClosed = false;
    // Codec.
    int codecInstancesCreated = 0;
    std::vector<std::string> codecCalls;
    CodecOptions optionsSeen;
    int optionMaskSeen = 0;
};

class Input : public InputInstance {
  public:
    explicit Input(Log& log) : log_(log) {}
    int open() override {
        ++log_.inputOpens;
        pos_ = 0;
        return kOk;
    }
    int close() override { return kOk; }
    std::int64_t read(std::span<std::uint8_t> buffer) override {
        const std::size_t left = log_.inputBytes.size() - pos_;
        const std::size_t n = std::min(buffer.size(), left);
        if (log_.failReadAt >= 0 && pos_ + n > static_cast<std::size_t>(log_.failReadAt)) {
            return kReadFailed;
        }
        if (n > 0) std::memcpy(buffer.data(), log_.inputBytes.data() + pos_, n);
        pos_ += n;
        return static_cast<std::int64_t>(n);
    }
    int seek(std::uint64_t offset) override {
        pos_ = static_cast<std::size_t>(offset);
        return 0;
    }
    bool seekable() override { return log_.inputSeekable; }
    std::uint64_t size() override { return log_.inputSeekable ? log_.inputBytes.size() : 0; }

  private:
    Log& log_;
    std::size_t pos_ = 0;
};

class Output : public OutputInstance {
  public:
    explicit Output(Log& log) : log_(log) {}
    int open() override { return kOk; }
    int close() override {
        log_.outputClosed = true;
        return log_.outputCloseResult;
    }
    std::int64_t write(std::span<const std::uint8_t> data, int, int, int) override {
        if (log_.writesBeforeFailure == 0) return 0;
        if (log_.writesBeforeFailure > 0) --log_.writesBeforeFailure;
        log_.written.insert(log_.written.end(), data.begin(), data.end());
        return static_cast<std::int64_t>(data.size());
    }
    int setControls(const OutputControls*, int mask) override {
        log_.controlMasks.push_back(mask);
        return kOk;
    }

  private:
    Log& log_;
};

// One step of a scripted codec: a result code, or PCM of the given shape filled with a byte
// value, or a rejected frame.
struct Step {
    int result = kOk;
    int samplesPerChannel = 0;
    int channels = 2;
    int sampleRate = 44100;
    bool reject = false;
    std::uint8_t fill = 0x11;
};

class Codec : public CodecInstance {
  public:
    Codec(Log& log, std::deque<Step> script) : log_(log), script_(std::move(script)) {}
    int decode(PcmRecord& pcm, StreamInfo&) override {
        log_.codecCalls.push_back("decode");
        if (script_.empty()) return kEndOfStream;
        const Step step = script_.front();
        script_.pop_front();
        if (step.reject) throw FrameRejected{};
        if (step.result != kOk) return step.result;
        const std::size_t bytes =
            static_cast<std::size_t>(step.samplesPerChannel) * 2 * step.channels;
        std::memset(pcm.data.data(), step.fill, std::min(bytes, pcm.data.size()));
        pcm.samplesPerChannel = step.samplesPerChannel;
        pcm.channels = step.channels;
        pcm.sampleRate = step.sampleRate;
        return kOk;
    }
    int probe(StreamInfo&) override {
        log_.codecCalls.push_back("probe");
        return kOk;
    }
    int newStream(std::string_view, std::string_view) override {
        log_.codecCalls.push_back("newStream");
        return kOk;
    }
    void streamClosed() override { log_.codecCalls.push_back("streamClosed"); }
    void seekNotice(std::uint64_t offset) override {
        log_.codecCalls.push_back("seekNotice " + std::to_string(offset));
    }
    int setOptions(const CodecOptions& options, int mask) override {
        log_.optionsSeen = options;
        log_.optionMaskSeen = mask;
        return kOk;
    }

  private:
    Log& log_;
    std::deque<Step> script_;
};

inline InputModule inputModule(Log& log, std::uint32_t version = kModuleVersion) {
    InputModule m;
    m.version = version;
    m.probe = [](std::string_view) { return 0; };
    m.create = [&log](std::unique_ptr<InputInstance>& instance, std::string_view, int,
                      ControlBlock&) {
        ++log.inputInstancesCreated;
        instance = std::make_unique<Input>(log);
        return 0;
    };
    return m;
}

inline OutputModule outputModule(Log& log) {
    OutputModule m;
    m.probe = [](std::string_view) { return 0; };
    m.create = [&log](std::unique_ptr<OutputInstance>& instance, std::string_view, int,
                      ControlBlock&) {
        instance = std::make_unique<Output>(log);
        return 0;
    };
    return m;
}

// A codec that takes every stream (accept empty) or only names ending in the given text.
inline CodecModule codecModule(Log& log, std::deque<Step> script, std::string nameEnding = {},
                               int maxOutputBytes = 4608) {
    CodecModule m;
    m.query = [nameEnding](std::string_view, std::string_view name) {
        return name.ends_with(nameEnding) ? 0 : -1;
    };
    m.info = [maxOutputBytes](ModuleDescription& d, int flags) {
        if (flags & kInfoName) d.name = "Scripted Codec";
        if (flags & kInfoMaxOutput) d.maxOutputBytes = maxOutputBytes;
        return 0;
    };
    m.create = [&log, script](std::unique_ptr<CodecInstance>& instance, std::string_view,
                              std::string_view, ControlBlock&) {
        ++log.codecInstancesCreated;
        instance = std::make_unique<Codec>(log, script);
        return 0;
    };
    return m;
}

}  // namespace velt::mp3::fake

// libFuzzer target over mpunpack's decode step: the fuzzer's bytes are the input stream, served
// from memory to a control block with its MPEG and WAVE codecs, decoded step by step into an output
// that keeps nothing, exactly as the program's decode loop runs. The last byte also picks the
// codec options, the input name (".mp3" or ".wav") and whether the stream is repositioned once
// half-way, so those paths are fuzzed too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "framework/input_module.h"
#include "framework/output_module.h"
#include "modules/wave_codec.h"
#include "mpeg/mpeg_codec.h"

namespace {

using namespace velt::mp3;

class MemoryInput : public InputInstance {
  public:
    explicit MemoryInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    int open() override {
        at_ = 0;
        return kOk;
    }
    int close() override { return kOk; }
    std::int64_t read(std::span<std::uint8_t> buffer) override {
        const std::size_t n = std::min(buffer.size(), bytes_.size() - at_);
        if (n > 0) std::memcpy(buffer.data(), bytes_.data() + at_, n);
        at_ += n;
        return static_cast<std::int64_t>(n);
    }
    int seek(std::uint64_t offset) override {
        at_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
        return 0;
    }
    bool seekable() override { return true; }
    std::uint64_t size() override { return bytes_.size(); }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// Reads every byte it is given, so that PCM claimed beyond the codec's buffer is caught by
// AddressSanitizer.
class DiscardingOutput : public OutputInstance {
  public:
    int open() override { return kOk; }
    int close() override { return kOk; }
    std::int64_t write(std::span<const std::uint8_t> data, int, int, int) override {
        for (std::uint8_t b : data) sum_ += b;
        return static_cast<std::int64_t>(data.size());
    }

  private:
    std::uint32_t sum_ = 0;
};

InputModule memoryInputModule(std::span<const std::uint8_t> bytes) {
    InputModule m;
    m.probe = [](std::string_view) { return 0; };
    m.create = [bytes](std::unique_ptr<InputInstance>& instance, std::string_view, int,
                       ControlBlock&) {
        instance = std::make_unique<MemoryInput>(bytes);
        return kOk;
    };
    return m;
}

OutputModule discardingOutputModule() {
    OutputModule m;
    m.probe = [](std::string_view) { return 0; };
    m.create = [](std::unique_ptr<OutputInstance>& instance, std::string_view, int, ControlBlock&) {
        instance = std::make_unique<DiscardingOutput>();
        return kOk;
    };
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::uint8_t options = size > 0 ? data[size - 1] : 0;

    std::unique_ptr<ControlBlock> control;
    if (ControlBlock::create(control) < 0) return 0;
    control->registerCodecModule(mpegCodecModule());
    control->registerCodecModule(waveCodecModule());
    control->registerInputModule(memoryInputModule(bytes));
    control->registerOutputModule(discardingOutputModule());

    control->setOption1(options & 3);         // channel routing
    control->setOption2((options >> 2) % 3);  // rate reduction
    if (options & 0x10) {
        std::array<std::int8_t, 64> gains{};
        for (std::size_t i = 0; i < gains.size(); ++i) {
            gains[i] = static_cast<std::int8_t>(i < size ? data[i] : 0);
        }
        control->setOption3(gains);
    }

    control->selectOutput("null");
    if (control->openOutput() < 0) return 0;
    control->selectInput(options & 0x20 ? "fuzz.wav" : "fuzz.mp3");
    if (control->openInput() < 0) return 0;

    int end = kOk;
    for (int step = 0; end == kOk || end == kInvalidFrame || end == kTimeout; ++step) {
        if (step == 8 && (options & 0x40)) control->seekInputFraction(0.5);
        end = control->decodeStep();
    }
    control->outputSetControls(nullptr, kOutputEndOfStream);
    control->closeInput();
    control->closeOutput();
    return 0;
}

// An output module takes the decoded PCM. Its table carries the version word and the operations
// that need no instance (probe, info, new); an instance carries the rest. Operations with a default
// here are optional: the default is the framework's answer when a module has none.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "framework/module_types.h"

namespace velt::mp3 {

class ControlBlock;

class OutputInstance {
  public:
    virtual ~OutputInstance() = default;  // delete: frees the instance without finishing the output

    virtual int open() = 0;
    // Finishes the output (a file output rewrites its header here); 0 or a negative code.
    virtual int close() = 0;
    // Bytes taken, or 0 when the write failed.
    virtual std::int64_t write(std::span<const std::uint8_t> data, int bytesPerSample, int channels,
                               int sampleRate) = 0;
    // A buffer of at least size bytes for the next decode, or an empty span for none.
    virtual std::span<std::uint8_t> bufferRequest(std::size_t /*size*/) { return {}; }
    // record is null for calls that carry only a mask (kOutputEndOfStream).
    virtual int setControls(const OutputControls* /*record*/, int /*mask*/) { return 0; }
    virtual int getControls(OutputControls& record, int /*mask*/) {
        record.levels = kDefaultOutputLevels;
        return 0;
    }
    virtual int delayQuery(int& /*delay*/) { return -1; }
    virtual std::uint32_t capabilities() { return kDefaultOutputCapabilities; }
    virtual int control(int /*a*/, int /*b*/, int /*c*/) { return -1; }
};

struct OutputModule {
    std::uint32_t version = kModuleVersion;
    // 0 when the module accepts the output name.
    std::function<int(std::string_view name)> probe;
    std::function<int(ModuleDescription& description, int flags)> info;
    // new: creates an instance for the name; 0 or a negative code (then no instance).
    std::function<int(std::unique_ptr<OutputInstance>& instance, std::string_view name, int index,
                      ControlBlock& control)>
        create;
};

}  // namespace velt::mp3

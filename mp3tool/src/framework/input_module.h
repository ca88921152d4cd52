// An input module delivers the bytes of a stream. Its table carries the version word and the
// operations that need no instance (probe, info, new); an instance carries the rest. Operations
// with a default here are optional: the default is the framework's answer when a module has none.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "framework/module_types.h"

namespace velt::mp3 {

class ControlBlock;

class InputInstance {
  public:
    virtual ~InputInstance() = default;  // delete: frees the instance (closing is close's job)

    virtual int open() = 0;
    virtual int close() = 0;
    // Fills the buffer from the stream: the number of bytes read (less than asked only at the end
    // of the stream), 0 at the end, or a negative code when reading failed.
    virtual std::int64_t read(std::span<std::uint8_t> buffer) = 0;
    // Positions the stream at an absolute byte offset: 0, or non-zero on failure.
    virtual int seek(std::uint64_t /*offset*/) { return -1; }
    virtual bool seekable() { return false; }
    virtual std::uint64_t size() { return 0; }  // 0 when unknown
    virtual int control(int /*a*/, int /*b*/, int /*c*/) { return -1; }
};

struct InputModule {
    std::uint32_t version = kModuleVersion;
    // 0 when the module accepts the input name.
    std::function<int(std::string_view name)> probe;
    std::function<int(ModuleDescription& description, int flags)> info;
    // new: creates an instance for the name; 0 or a negative code (then no instance).
    std::function<int(std::unique_ptr<InputInstance>& instance, std::string_view name, int index,
                      ControlBlock& control)>
        create;
};

}  // namespace velt::mp3

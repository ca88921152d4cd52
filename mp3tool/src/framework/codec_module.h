// A codec module turns the bytes of the input into PCM. Its table carries the version word and the
// operations that need no instance (query, info, new); an instance carries the rest and reads and
// seeks the input through the ControlBlock it was created with. Operations with a default here are
// optional: the default is what the framework does when a codec has none.
//
// To add a codec: derive from CodecInstance, provide a function that returns its CodecModule, and
// register it in buildControlBlock (app/control_block_setup.cpp).
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "framework/module_types.h"

namespace velt::mp3 {

class ControlBlock;

// The error escape: a codec that finds a frame it cannot decode (impossible side information or
// allocation values) throws this from anywhere inside decode; the decode step catches it and
// returns kInvalidFrame, and the caller goes on with the next step.
struct FrameRejected : std::exception {
    const char* what() const noexcept override { return "invalid frame"; }
};

class CodecInstance {
  public:
    virtual ~CodecInstance() = default;  // delete

    // Decodes the next piece of the stream into pcm.data (at most the codec's maximum output)
    // and sets pcm's samples per channel, channels, sample rate and bytes per sample; may publish
    // stream facts in info (marking validFields). 0, or a negative code (kEndOfStream at the end).
    virtual int decode(PcmRecord& pcm, StreamInfo& info) = 0;

    // Reads the start of a seekable stream for duration, rate, channels and bit rate.
    virtual int probe(StreamInfo& /*info*/) { return 0; }
    // Fraction of the stream at a byte position; none means byte position / size.
    virtual std::optional<double> byteToFraction(std::uint64_t /*bytePosition*/) {
        return std::nullopt;
    }
    // Fraction of the file's bytes for a fraction of play time; none means the same fraction.
    virtual std::optional<double> fractionToByte(double /*fraction*/) { return std::nullopt; }
    // A new stream starts on the input (called at every input open, before probe).
    virtual int newStream(std::string_view /*streamType*/, std::string_view /*inputName*/) {
        return 0;
    }
    virtual void streamClosed() {}
    // The framework repositioned the input at this byte offset.
    virtual void seekNotice(std::uint64_t /*bytePosition*/) {}
    virtual int flush() { return 0; }
    virtual int setOptions(const CodecOptions& /*options*/, int /*mask*/) { return 0; }
    virtual int getOptions(CodecOptions& /*options*/, int /*mask*/) { return 0; }
};

struct CodecModule {
    std::uint32_t version = kModuleVersion;
    // 0 when the codec accepts a stream of this type ("audio/unknown" when none is known) and
    // input name, -1 when it refuses.
    std::function<int(std::string_view streamType, std::string_view inputName)> query;
    std::function<int(ModuleDescription& description, int flags)> info;
    // new: creates an instance; 0 or a negative code (then no instance).
    std::function<int(std::unique_ptr<CodecInstance>& instance, std::string_view streamType,
                      std::string_view inputName, ControlBlock& control)>
        create;
};

}  // namespace velt::mp3

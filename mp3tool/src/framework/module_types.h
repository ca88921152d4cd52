// Records shared by the decoder framework and its modules: the module description that a module's
// info operation fills, the stream info and PCM record that a codec fills on every decode, the
// status record with position and time, and the codec options.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velt::mp3 {

// Every module table begins with this version word; a table is accepted when the word shifted
// right by 8 equals kModuleVersion >> 8, so minor revisions of the same interface register.
inline constexpr std::uint32_t kModuleVersion = 0x40300;
constexpr bool moduleVersionAccepted(std::uint32_t version) {
    return (version >> 8) == (kModuleVersion >> 8);
}

// Which fields an info operation fills.
enum InfoFlags : int {
    kInfoName = 1,       // name and version text
    kInfoDevices = 2,    // number of devices
    kInfoDevice = 4,     // name, description and file flag of the device asked for
    kInfoMaxOutput = 8,  // codecs: largest PCM output of one decode, in bytes
    kInfoKindWord = 16,  // codecs: the codec's info word
};

struct ModuleDescription {
    std::string name;
    std::string version;
    int devices = 0;
    int device = 0;  // the device that kInfoDevice describes: set by the caller
    std::string deviceName;
    std::string deviceDescription;
    bool deviceIsFile = false;
    int infoWord = 0;
    int maxOutputBytes = 0;
};

// Which fields of StreamInfo changed during an operation (its validFields word).
enum StreamInfoFlags : int {
    kStreamPropertiesChanged = 1,  // the stream property list
    kStreamFormatChanged = 2,      // duration, sample rate, bit rate or channels
    kStreamTypeChanged = 4,        // the stream type name
};

struct StreamInfo {
    int validFields = 0;
    std::int64_t durationMs = 0;  // 0 when unknown
    int sampleRate = 0;           // Hz
    int bitRate = 0;              // kbit/s, 0 when unknown
    int channels = 0;
    std::string streamType;
};

// Play time of the current stream position.
struct TimeRecord {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int hundredths = 0;
};

// Splits seconds (0 or more) into hours, minutes, seconds and hundredths, each truncated.
TimeRecord timeFromSeconds(double seconds);

struct StatusRecord {
    double position = 0;  // 0..1 of the stream
    StreamInfo info;
    TimeRecord time;
};

// Which PCM properties changed since the previous decode step (PcmRecord::changeFlags and the
// mask of OutputInstance::setControls).
enum PcmChangeFlags : int {
    kPcmBytesPerSampleChanged = 1,
    kPcmChannelsChanged = 2,
    kPcmRateChanged = 4,
    kOutputEndOfStream = 4096,  // setControls mask of the call after the last decode step
};

struct PcmRecord {
    int changeFlags = 0;
    std::span<std::uint8_t> data;  // the framework's buffer for one decode; the codec fills it
    int samplesPerChannel = 0;
    int bytesPerSample = 0;
    int channels = 0;
    int sampleRate = 0;
    int outputDelay = 0;
};

// Codec options, stored by the framework and handed to the codec when it is chosen. Their meaning
// is the codec's (the MPEG codec: channel routing, rate reduction, per-subband gains).
enum CodecOptionMask : int { kOption1 = 1, kOption2 = 2, kOption3 = 4 };

struct CodecOptions {
    int option1 = 0;
    int option2 = 0;
    std::optional<std::array<std::int8_t, 64>> option3;  // absent until set
};

// What an output is told of the PCM it receives, and what it reports of itself.
struct OutputControls {
    int bytesPerSample = 0;
    int sampleRate = 0;
    int channels = 0;
    std::array<int, 5> levels{};
};

// The control record an output without its own get-controls operation reports.
inline constexpr std::array<int, 5> kDefaultOutputLevels = {2, 100, 100, 50, 1};

// Capability word of an output without its own capabilities operation; bit 22 says the output
// answers delay queries.
inline constexpr std::uint32_t kDefaultOutputCapabilities = 0x7fbfffff;
inline constexpr std::uint32_t kOutputHasDelay = 1u << 22;

}  // namespace velt::mp3

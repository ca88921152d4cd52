#include "modules/wave_codec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "framework/control_block.h"
#include "framework/error_codes.h"

namespace velt::mp3 {

namespace {

constexpr std::string_view kStreamType = "audio/pcm";
constexpr int kMaxOutputBytes = 4096;
// The "data" chunk's header must end within the first 8 KiB of the stream.
constexpr std::uint64_t kLastHeaderByte = 8191;

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The subformat GUID of integer PCM in an extensible "fmt " chunk.
constexpr std::array<std::uint8_t, 16> kPcmSubformat = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// A data size of 0 or all ones is written by programs that stream and never go back: the data
// then run to the end of the file.
constexpr std::uint32_t kDataSizeUnknown = 0xFFFFFFFF;

std::uint32_t littleEndian(const std::uint8_t* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

struct WaveFormat {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    bool pcmSubformat = false;  // an extensible chunk naming integer PCM
};

bool isPlain16BitPcm(const WaveFormat& f) {
    const bool pcm = f.tag == kFormatPcm || (f.tag == kFormatExtensible && f.pcmSubformat);
    return pcm && f.channels > 0 && f.sampleRate > 0 && f.bitsPerSample == 16 &&
           f.blockAlign == f.channels * 2;
}

class WaveCodec : public CodecInstance {
  public:
    explicit WaveCodec(ControlBlock& control) : control_(control) {}

    int newStream(std::string_view, std::string_view) override {
        format_ = WaveFormat{};
        dataOffset_ = 0;
        dataEnd_.reset();
        const int result = parseHeader();
        // A header cut short by the end of the stream is a format the codec cannot take.
        return result == kEndOfStream ? kUnsupportedFormat : result;
    }

    int probe(StreamInfo& info) override {
        const std::uint64_t size = control_.inputSize();
        std::uint64_t dataBytes = 0;
        if (dataEnd_) {
            dataBytes = *dataEnd_ - dataOffset_;
        } else if (size > dataOffset_) {
            dataBytes = size - dataOffset_;
        }
        info.validFields = kStreamPropertiesChanged | kStreamFormatChanged | kStreamTypeChanged;
        info.durationMs = format_.byteRate == 0
                              ? 0
                              : static_cast<std::int64_t>(dataBytes / format_.byteRate) * 1000;
        info.sampleRate = static_cast<int>(format_.sampleRate);
        info.bitRate = static_cast<int>(format_.byteRate / 125);
        info.channels = format_.channels;
        info.streamType = kStreamType;
        return kOk;
    }

    int decode(PcmRecord& pcm, StreamInfo& info) override {
        if (info.streamType != kStreamType) {
            info.streamType = kStreamType;
            info.validFields |= kStreamTypeChanged;
        }
        // Bytes before the data (after a seek into the header) and a partial frame (after a seek
        // into the data) are dropped so that the output starts on a whole frame.
        if (control_.inputBytePosition() < dataOffset_) {
            if (const int r = skip(dataOffset_ - control_.inputBytePosition()); r < 0) return r;
        }
        const std::uint64_t frame = format_.blockAlign;
        const std::uint64_t misalign = (control_.inputBytePosition() - dataOffset_) % frame;
        if (misalign != 0) {
            if (const int r = skip(frame - misalign); r < 0) return r;
        }

        std::uint64_t want = std::min<std::uint64_t>(pcm.data.size(), kMaxOutputBytes);
        if (dataEnd_) {
            const std::uint64_t pos = control_.inputBytePosition();
            want = std::min(want, pos < *dataEnd_ ? *dataEnd_ - pos : 0);
        }
        want -= want % frame;
        if (want == 0) return kEndOfStream;
        const std::int64_t got = control_.readInputSome(pcm.data.first(want));
        if (got < 0) return static_cast<int>(got);
        // A piece of a frame at the very end cannot be played: only whole frames go out.
        const auto frames = static_cast<std::uint64_t>(got) / frame;
        if (frames == 0) return kEndOfStream;

        pcm.bytesPerSample = 2;
        pcm.samplesPerChannel = static_cast<int>(frames);
        pcm.channels = format_.channels;
        pcm.sampleRate = static_cast<int>(format_.sampleRate);
        return kOk;
    }

    int setOptions(const CodecOptions& options, int mask) override {
        if (mask & kOption1) option1_ = options.option1;
        return kOk;
    }

    int getOptions(CodecOptions& options, int mask) override {
        if (mask & kOption1) options.option1 = option1_;
        return kOk;
    }

  private:
    // Reads and drops n bytes of the header area (bounded by kLastHeaderByte by the caller).
    int skip(std::uint64_t n) {
        std::array<std::uint8_t, 256> scrap{};
        while (n > 0) {
            const auto piece = std::min<std::uint64_t>(n, scrap.size());
            const int r = control_.readInput(std::span(scrap).first(piece));
            if (r < 0) return r;
            n -= piece;
        }
        return kOk;
    }

    int readFormat(std::uint32_t chunkSize) {
        if (chunkSize < 16) return kUnsupportedFormat;
        std::array<std::uint8_t, 40> fmt{};
        const std::uint32_t wanted = chunkSize >= 40 ? 40 : 16;
        if (const int r = control_.readInput(std::span(fmt).first(wanted)); r < 0) return r;
        format_.tag = static_cast<std::uint16_t>(littleEndian(&fmt[0], 2));
        format_.channels = static_cast<std::uint16_t>(littleEndian(&fmt[2], 2));
        format_.sampleRate = littleEndian(&fmt[4], 4);
        format_.byteRate = littleEndian(&fmt[8], 4);
        format_.blockAlign = static_cast<std::uint16_t>(littleEndian(&fmt[12], 2));
        format_.bitsPerSample = static_cast<std::uint16_t>(littleEndian(&fmt[14], 2));
        format_.pcmSubformat =
            wanted == 40 && std::equal(kPcmSubformat.begin(), kPcmSubformat.end(), &fmt[24]);
        return skip(chunkSize - wanted + (chunkSize & 1));
    }

    int parseHeader() {
        std::array<std::uint8_t, 12> riff{};
        if (const int r = control_.readInput(riff); r < 0) return r;
        if (std::memcmp(&riff[0], "RIFF", 4) != 0 || std::memcmp(&riff[8], "WAVE", 4) != 0) {
            return kUnsupportedFormat;
        }
        bool haveFormat = false;
        for (;;) {
            std::array<std::uint8_t, 8> chunk{};
            if (const int r = control_.readInput(chunk); r < 0) return r;
            const std::uint64_t end = control_.inputBytePosition();
            if (end > kLastHeaderByte) return kUnsupportedFormat;
            const std::uint32_t size = littleEndian(&chunk[4], 4);
            if (std::memcmp(&chunk[0], "data", 4) == 0) {
                if (!haveFormat || !isPlain16BitPcm(format_)) return kUnsupportedFormat;
                dataOffset_ = end;
                if (size != 0 && size != kDataSizeUnknown) dataEnd_ = end + size;
                return kOk;
            }
            if (std::memcmp(&chunk[0], "fmt ", 4) == 0) {
                if (const int r = readFormat(size); r < 0) return r;
                haveFormat = true;
                continue;
            }
            // Another chunk: skip it (and its pad byte), but never past the header area.
            const std::uint64_t next = end + size + (size & 1);
            if (next > kLastHeaderByte) return kUnsupportedFormat;
            if (const int r = skip(next - end); r < 0) return r;
        }
    }

    ControlBlock& control_;
    WaveFormat format_;
    std::uint64_t dataOffset_ = 0;
    std::optional<std::uint64_t> dataEnd_;  // none: the data run to the end of the stream
    int option1_ = 0;
};

int describe(ModuleDescription& d, int flags) {
    if (flags & kInfoName) {
        d.name = "WAVE Audio Codec";
        d.version = "Version 1.0";
    }
    if (flags & kInfoDevices) d.devices = 1;
    if (flags & kInfoDevice) {
        if (d.device != 0) return kInvalidParameters;
        d.deviceName = "any wav stream";
        d.deviceDescription = kStreamType;
    }
    if (flags & kInfoMaxOutput) d.maxOutputBytes = kMaxOutputBytes;
    if (flags & kInfoKindWord) d.infoWord = 0;
    return kOk;
}

int query(std::string_view type, std::string_view name) {
    if (type == "audio/wave" || type == "audio/x-wave") return 0;
    if (type != "audio/unknown" && type != "audio" && type != "unknown") return -1;
    const auto dot = name.rfind('.');
    if (name.empty() || dot == std::string_view::npos) return -1;
    return name.substr(dot + 1) == "wav" ? 0 : -1;
}

}  // namespace

CodecModule waveCodecModule() {
    CodecModule module;
    module.query = query;
    module.info = describe;
    module.create = [](std::unique_ptr<CodecInstance>& instance, std::string_view, std::string_view,
                       ControlBlock& control) {
        instance = std::make_unique<WaveCodec>(control);
        return static_cast<int>(kOk);
    };
    return module;
}

}  // namespace velt::mp3

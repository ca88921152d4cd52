// The MPEG codec module: the decoding core wrapped for the decoder tool's framework, with the
// stream probe, seek mapping, published stream facts and options.
#include "mpeg/mpeg_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "mpeg/layer3/layer3_frame_decoder.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/stream_probe.h"

namespace velt::mp3 {
namespace {

constexpr std::string_view kStreamType = "audio/mpeg";
// Largest PCM of one frame: 1152 samples of 2 channels of 2 bytes.
constexpr int kMaxOutputBytes = mpeg::kMaxFrameSamples * 2;

// The framework's input as the frame reader's byte source.
class FrameworkInput : public mpeg::ByteInput {
  public:
    explicit FrameworkInput(ControlBlock& control) : control_(control) {}
    int read(std::uint8_t* buffer, std::size_t n) override {
        if (n == 0) return kOk;
        return control_.readInput(std::span<std::uint8_t>(buffer, n));
    }

  private:
    ControlBlock& control_;
};

// Gain byte v of the option block: 1 + v/32 for v >= 0, 1 / (1 - v/32) below (so -32 halves,
// +32 doubles); and back, truncated toward zero.
float gainFromByte(std::int8_t v) {
    return v >= 0 ? 1.0f + v / 32.0f : 1.0f / (1.0f - v / 32.0f);
}
std::int8_t byteFromGain(float g) {
    const float v = g >= 1.0f ? (g - 1.0f) * 32.0f : (1.0f - 1.0f / g) * 32.0f;
    return static_cast<std::int8_t>(std::clamp(std::trunc(v), -128.0f, 127.0f));
}

class MpegCodec : public CodecInstance {
  public:
    explicit MpegCodec(ControlBlock& control) : control_(control), input_(control), core_(input_) {
        core_.setLayer3(std::make_unique<mpeg::layer3::Layer3FrameDecoder>());
    }

    int newStream(std::string_view, std::string_view) override {
        forgetPublished();
        layoutChannels_ = 0;
        layoutRate_ = 0;
        frameCountKnown_ = false;
        averageBitrate_ = 0;
        dataStart_ = 0;
        dataSize_ = control_.inputSize();
        core_.forgetStreamKind();
        return flush();
    }

    int flush() override {
        core_.flush();
        seekPosition_ = 0;
        atStreamStart_ = true;
        infoFrame_.reset();
        pending_.reset();
        return kOk;
    }

    void seekNotice(std::uint64_t bytePosition) override {
        flush();
        seekPosition_ = bytePosition;
        atStreamStart_ = bytePosition <= dataStart_;
    }

    int probe(StreamInfo& info) override;
    int decode(PcmRecord& pcm, StreamInfo& info) override;

    std::optional<double> byteToFraction(std::uint64_t position) override {
        if (dataSize_ == 0 || position < dataStart_) return 0.0;
        return static_cast<double>(position - dataStart_) / static_cast<double>(dataSize_);
    }

    std::optional<double> fractionToByte(double f) override {
        double y = f;
        if (toc_) {
            const double x = std::clamp(f, 0.0, 1.0) * 100.0;
            const int i = std::min(static_cast<int>(x), 99);
            const double here = (*toc_)[i];
            const double next = i < 99 ? (*toc_)[i + 1] : 256.0;
            y = (here + (x - i) * (next - here)) / 256.0;
        }
        if (dataStart_ != 0 && dataSize_ != 0) {
            return (y * static_cast<double>(dataSize_) + static_cast<double>(dataStart_)) /
                   static_cast<double>(dataStart_ + dataSize_);
        }
        return y;
    }

    int setOptions(const CodecOptions& options, int mask) override {
        if (mask & kOption1) core_.setRouting(options.option1);
        if (mask & kOption2) core_.setRateReduction(options.option2);
        if (mask & kOption3) {
            if (!options.option3) {
                core_.left().setGains(std::nullopt);
                core_.right().setGains(std::nullopt);
            } else {
                std::array<float, 32> left{};
                std::array<float, 32> right{};
                for (int i = 0; i < 32; ++i) {
                    left[i] = gainFromByte((*options.option3)[i]);
                    right[i] = gainFromByte((*options.option3)[32 + i]);
                }
                core_.left().setGains(left);
                core_.right().setGains(right);
            }
        }
        return kOk;
    }

    int getOptions(CodecOptions& options, int mask) override {
        if (mask & kOption1) options.option1 = core_.routing();
        if (mask & kOption2) options.option2 = core_.rateReduction();
        if (mask & kOption3) {
            std::array<std::int8_t, 64> bytes{};
            const auto& left = core_.left().gains();
            const auto& right = core_.right().gains();
            if (!left || !right) {
                options.option3 = bytes;
                return -1;
            }
            for (int i = 0; i < 32; ++i) {
                bytes[i] = byteFromGain((*left)[i]);
                bytes[32 + i] = byteFromGain((*right)[i]);
            }
            options.option3 = bytes;
        }
        return kOk;
    }

  private:
    // A decoded frame kept back for a later step.
    struct HeldFrame {
        std::array<std::int16_t, mpeg::kMaxFrameSamples> pcm{};
        mpeg::DecodedFrame frame;
    };

    // Puts one decoded frame out in the stream's layout and updates the published facts.
    int emit(const std::int16_t* samples, const mpeg::DecodedFrame& frame, PcmRecord& pcm,
             StreamInfo& info);
    void forgetPublished() {
        level_ = layer_ = mode_ = -1;
        rate_ = 0;
    }
    void publishHeaderProperties(const mpeg::FrameHeader& h, StreamInfo& info);
    void estimateDuration(StreamInfo& info) const;

    ControlBlock& control_;
    FrameworkInput input_;
    mpeg::MpegDecoder core_;
    std::array<std::int16_t, mpeg::kMaxFrameSamples> frame_{};

    // The output layout, fixed by the first frame put out: one file holds one channel count and
    // one rate (0 until then).
    int layoutChannels_ = 0;
    int layoutRate_ = 0;
    // The first frame of a stream may be an encoder's information frame: it goes out only once
    // an audio frame follows, so that a stream of nothing else gives no audio at all.
    bool atStreamStart_ = true;
    std::unique_ptr<HeldFrame> infoFrame_;
    std::unique_ptr<HeldFrame> pending_;  // the audio frame that follows the information frame

    // Last published values; -1 (or 0) until the first frame or the probe publishes them.
    int level_ = -1;
    int layer_ = -1;
    int mode_ = -1;
    int rate_ = 0;

    bool frameCountKnown_ = false;     // a Xing or VBRI frame count fixed duration and bit rate
    std::int64_t averageBitrate_ = 0;  // smoothed, in 1/1024 kbit/s; 0 = none yet
    std::uint64_t totalSamples_ = 0;   // per channel, since the codec was created
    std::optional<std::array<std::uint8_t, 100>> toc_;
    std::uint64_t dataStart_ = 0;  // first audio byte (after an ID3v2 tag)
    std::uint64_t dataSize_ = 0;   // audio bytes
    std::uint64_t seekPosition_ = 0;
};

void MpegCodec::publishHeaderProperties(const mpeg::FrameHeader& h, StreamInfo& info) {
    if (h.level() != level_) {
        level_ = h.level();
        control_.setStreamInteger("mpeg/level", level_);
        info.validFields |= kStreamPropertiesChanged;
    }
    if (h.layer != layer_) {
        layer_ = h.layer;
        control_.setStreamInteger("mpeg/layer", layer_);
        info.validFields |= kStreamPropertiesChanged;
    }
    if (h.mode != mode_) {
        const bool channelsChange =
            mode_ < 0 || (mode_ == mpeg::kSingleChannel) != (h.mode == mpeg::kSingleChannel);
        mode_ = h.mode;
        control_.setStreamInteger("mpeg/mode", mode_);
        info.validFields |= kStreamPropertiesChanged;
        // Once the first frame has fixed the output layout, the channels put out stay as they
        // are whatever the mode says.
        if (layoutChannels_ == 0) {
            info.channels = h.channels();
            if (channelsChange) info.validFields |= kStreamFormatChanged;
        }
    }
}

int MpegCodec::probe(StreamInfo& info) {
    info.validFields = 0;
    const std::uint64_t size = control_.inputSize();
    dataSize_ = size;
    dataStart_ = 0;
    toc_.reset();

    std::array<std::uint8_t, mpeg::kProbeBytes> bytes{};
    std::int64_t got = control_.readInputSome(bytes);
    if (got > 0) {
        const std::uint64_t tag = mpeg::id3v2TagSize(std::span(bytes).first(got), size);
        if (tag > 0) {
            dataStart_ = tag;
            dataSize_ = size - tag;
            if (const int r = control_.seekInput(dataStart_); r != 0) return r;
            got = control_.readInputSome(bytes);
        }
    }
    // Decoding starts at the data start, also when the probe gives up below or the stream is
    // shorter than the probe's read.
    if (const int r = control_.seekInput(dataStart_); r != 0) return r;
    if (got < 0) return static_cast<int>(got);

    if (got < 4 || bytes[0] != 0xff || bytes[1] < 0xe0) return -1;
    const mpeg::FrameHeader h =
        mpeg::parseFrameHeader(std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
                               std::uint32_t(bytes[2]) << 8 | bytes[3]);
    if (!mpeg::isValidHeader(h)) return -1;

    int bitrate = h.bitrateKbps();
    std::int64_t duration =
        bitrate / 8 > 0 ? static_cast<std::int64_t>(dataSize_ / (bitrate / 8)) : 0;
    if (const auto vbr = mpeg::readVbrHeader(std::span(bytes).first(got), h)) {
        if (vbr->frames) {
            const std::int64_t samples = h.version == mpeg::Version::Mpeg1 ? 1152 : 576;
            duration = samples * 1000 * *vbr->frames / h.sampleRate();
            bitrate = duration > 0 ? static_cast<int>(dataSize_ / duration * 8) : 0;
            frameCountKnown_ = true;
        }
        toc_ = vbr->toc;
    }

    info.sampleRate = h.sampleRate();
    rate_ = info.sampleRate;
    info.bitRate = bitrate;
    info.durationMs = duration;
    StreamInfo ignored;
    publishHeaderProperties(h, ignored);
    info.channels = h.channels();
    info.streamType = kStreamType;
    info.validFields = kStreamPropertiesChanged | kStreamFormatChanged | kStreamTypeChanged;
    return kOk;
}

int MpegCodec::decode(PcmRecord& pcm, StreamInfo& info) {
    if (pcm.data.size() < static_cast<std::size_t>(kMaxOutputBytes)) return kInternalError;
    if (pending_) {
        const std::unique_ptr<HeldFrame> held = std::move(pending_);
        return emit(held->pcm.data(), held->frame, pcm, info);
    }
    mpeg::DecodedFrame frame;
    const int r = core_.decodeFrame(frame_.data(), frame);
    // An information frame still held at the end is dropped with the end.
    if (r != kOk) return r;

    if (atStreamStart_) {
        atStreamStart_ = false;
        if (core_.frameCarriesVbrTag()) {
            infoFrame_ = std::make_unique<HeldFrame>(HeldFrame{frame_, frame});
            pcm.bytesPerSample = 2;
            pcm.samplesPerChannel = 0;
            pcm.channels = frame.channels;
            pcm.sampleRate = frame.sampleRate;
            return kOk;
        }
    }
    if (infoFrame_) {
        pending_ = std::make_unique<HeldFrame>(HeldFrame{frame_, frame});
        const std::unique_ptr<HeldFrame> held = std::move(infoFrame_);
        return emit(held->pcm.data(), held->frame, pcm, info);
    }
    return emit(frame_.data(), frame, pcm, info);
}

int MpegCodec::emit(const std::int16_t* samples, const mpeg::DecodedFrame& frame, PcmRecord& pcm,
                    StreamInfo& info) {
    if (layoutRate_ == 0) {
        layoutRate_ = frame.sampleRate;
        layoutChannels_ = frame.channels;
    }
    // A file cannot change its rate part-way: the output ends before the first frame of another.
    if (frame.sampleRate != layoutRate_) return kSampleRateChanged;

    const auto n = static_cast<std::size_t>(frame.samplesPerChannel);
    const std::int16_t* out = samples;
    std::array<std::int16_t, mpeg::kMaxFrameSamples> converted;
    if (frame.channels != layoutChannels_) {
        if (layoutChannels_ == 2) {
            // A mono frame in a stereo stream: the same sample on both sides.
            for (std::size_t i = 0; i < n; ++i)
                converted[2 * i] = converted[2 * i + 1] = samples[i];
        } else {
            // A stereo frame in a mono stream: the mean of the two sides.
            for (std::size_t i = 0; i < n; ++i) {
                converted[i] = static_cast<std::int16_t>((samples[2 * i] + samples[2 * i + 1]) / 2);
            }
        }
        out = converted.data();
    }
    std::memcpy(pcm.data.data(), out,
                n * static_cast<std::size_t>(layoutChannels_) * sizeof(std::int16_t));
    pcm.bytesPerSample = 2;
    pcm.samplesPerChannel = frame.samplesPerChannel;
    pcm.channels = layoutChannels_;
    pcm.sampleRate = frame.sampleRate;

    if (info.streamType != kStreamType) {
        info.streamType = kStreamType;
        info.validFields |= kStreamTypeChanged;
    }
    totalSamples_ += static_cast<std::uint64_t>(frame.samplesPerChannel);
    if (frameCountKnown_) return kOk;

    publishHeaderProperties(frame.header, info);
    if (frame.sampleRate != rate_) {
        rate_ = frame.sampleRate;
        info.sampleRate = rate_;
        info.validFields |= kStreamFormatChanged;
    }
    // The published bit rate follows a smoothed average of the frames' rates and moves only
    // when the average leaves a band of 1/32 around it.
    const int bitrate = frame.header.bitrateKbps();
    const int published = info.bitRate;
    if (published == 0) {
        info.bitRate = bitrate;
        averageBitrate_ = std::int64_t{bitrate} * 1024;
        info.validFields |= kStreamFormatChanged;
    } else {
        if (averageBitrate_ == 0) averageBitrate_ = std::int64_t{published} * 1024;
        averageBitrate_ = (std::int64_t{bitrate} * 1024 + averageBitrate_ * 31) >> 5;
        const int smoothed = static_cast<int>((averageBitrate_ + 512) >> 10);
        if (std::abs(smoothed - published) > published / 32) {
            info.bitRate = smoothed;
            info.validFields |= kStreamFormatChanged;
        }
    }
    estimateDuration(info);
    return kOk;
}

// Play time decoded so far plus the rest of the data at the published bit rate, plus the part
// skipped by a seek at the rate observed since.
void MpegCodec::estimateDuration(StreamInfo& info) const {
    const int b = info.bitRate;
    if (b == 0 || !(info.validFields & kStreamFormatChanged) || dataSize_ == 0 || rate_ == 0) {
        return;
    }
    const double t = static_cast<double>(totalSamples_) * 1000.0 / rate_;
    const double p = static_cast<double>(control_.inputBytePosition());
    const double s = static_cast<double>(seekPosition_);
    const double d = static_cast<double>(dataStart_);
    const double z = static_cast<double>(dataSize_);
    double duration = t + std::max(0.0, d + z - p) * 8.0 / b;
    if (s > d) {
        const double rate = (s < p && t > 0) ? (p - s) / t : b;
        duration += (s - d) * 0.8 / rate;
    }
    info.durationMs = static_cast<std::int64_t>(duration);
}

int describe(ModuleDescription& d, int flags) {
    if (flags & kInfoName) {
        d.name = "MPEG Audio Codec";
        d.version = "Version 1.2";
    }
    if (flags & kInfoDevices) d.devices = 1;
    if (flags & kInfoName) return kOk;
    if (flags & kInfoDevice) {
        if (d.device != 0) return kInvalidParameters;
        d.deviceName = "MP1, MP2, MP3";
        d.deviceDescription = "MPEG 1 or 2 audio";
        d.infoWord = 0;
    }
    if (flags & kInfoMaxOutput) d.maxOutputBytes = kMaxOutputBytes;
    if (flags & kInfoKindWord) d.infoWord = 3;
    return kOk;
}

}  // namespace

CodecModule mpegCodecModule() {
    CodecModule module;
    module.query = [](std::string_view, std::string_view) { return 0; };
    module.info = describe;
    module.create = [](std::unique_ptr<CodecInstance>& instance, std::string_view, std::string_view,
                       ControlBlock& control) {
        instance = std::make_unique<MpegCodec>(control);
        return static_cast<int>(kOk);
    };
    return module;
}

}  // namespace velt::mp3

// DecodeCompressed: FFmpeg's demuxer and decoder, libswresample to interleaved signed 16-bit,
// our WAV writer.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/outside/asf_header.h"
#include "platform/outside/compressed_decoder.h"
#include "platform/wav/wav_file.h"

namespace velt::platform::outside {

namespace {

using namespace decoder_error;
constexpr long kStopped = -1;
// Progress stays below this until the file is closed with its final header.
constexpr double kMostBeforeClose = 99.0;
// Demuxers of AAC audio: ADTS, MPEG-4/QuickTime (.m4a, .mp4) and LATM.
constexpr const char* kAacContainers = "aac,mov,loas";

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ResamplerFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};

bool isWma(AVCodecID id) {
    return id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2 || id == AV_CODEC_ID_WMAPRO ||
           id == AV_CODEC_ID_WMALOSSLESS || id == AV_CODEC_ID_WMAVOICE;
}

// Turns decoded frames into 16-bit frames of the output layout and writes them. The resampler is
// made for the first frame and made again when a frame's format changes.
class FrameWriter {
  public:
    FrameWriter(wav::Writer& out, int rate, int channels) : out_(out), rate_(rate) {
        av_channel_layout_default(&layout_, channels);
    }
    ~FrameWriter() { av_channel_layout_uninit(&layout_); }
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    bool write(const AVFrame& frame) {
        if (frame.nb_samples <= 0) return true;
        if (!ready(frame)) return false;
        const int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
        if (room < 0) return false;
        buffer_.resize(static_cast<size_t>(room) * layout_.nb_channels);
        uint8_t* into = reinterpret_cast<uint8_t*>(buffer_.data());
        const int made =
            swr_convert(resampler_.get(), &into, room,
                        const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
        return made >= 0 && put(made);
    }
    // The samples the resampler still holds.
    bool flush() {
        if (!resampler_) return true;
        const int room = swr_get_out_samples(resampler_.get(), 0);
        if (room <= 0) return room == 0;
        buffer_.resize(static_cast<size_t>(room) * layout_.nb_channels);
        uint8_t* into = reinterpret_cast<uint8_t*>(buffer_.data());
        const int made = swr_convert(resampler_.get(), &into, room, nullptr, 0);
        return made >= 0 && put(made);
    }
    uint64_t framesWritten() const { return written_; }

  private:
    bool put(int frames) {
        written_ += static_cast<uint64_t>(frames);
        return frames == 0 ||
               out_.write(buffer_.data(), size_t(frames) * layout_.nb_channels * sizeof(int16_t));
    }
    bool ready(const AVFrame& frame) {
        const bool same = resampler_ && frame.format == inFormat_ && frame.sample_rate == inRate_ &&
                          frame.ch_layout.nb_channels == inChannels_;
        if (same) return true;
        if (resampler_ && !flush()) return false;
        resampler_.reset();
        if (frame.sample_rate <= 0 || frame.ch_layout.nb_channels <= 0) return false;
        AVChannelLayout in{};
        if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, frame.ch_layout.nb_channels);
        else if (av_channel_layout_copy(&in, &frame.ch_layout) < 0)
            return false;
        SwrContext* made = nullptr;
        int error = swr_alloc_set_opts2(&made, &layout_, AV_SAMPLE_FMT_S16, rate_, &in,
                                        static_cast<AVSampleFormat>(frame.format),
                                        frame.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        resampler_.reset(made);
        if (error < 0 || swr_init(made) < 0) return false;
        inFormat_ = frame.format;
        inRate_ = frame.sample_rate;
        inChannels_ = frame.ch_layout.nb_channels;
        return true;
    }

    wav::Writer& out_;
    int rate_;
    AVChannelLayout layout_{};
    std::unique_ptr<SwrContext, ResamplerFreer> resampler_;
    int inFormat_ = -1, inRate_ = 0, inChannels_ = 0;
    std::vector<int16_t> buffer_;
    uint64_t written_ = 0;
};

// Percent done from the packet's place in the file, else from its time in the stream.
double percentAt(const AVPacket& packet, int64_t fileBytes, const AVStream& stream) {
    if (packet.pos >= 0 && fileBytes > 0) return 100.0 * double(packet.pos) / double(fileBytes);
    if (packet.pts != AV_NOPTS_VALUE && stream.duration > 0)
        return 100.0 * double(packet.pts) / double(stream.duration);
    return 0;
}

}  // namespace

long DecodeCompressed(const std::string& source, const std::string& wave, bool wmaOnly,
                      const std::function<void(double)>& progress, const std::atomic<bool>* stop) {
    av_log_set_level(AV_LOG_QUIET);  // damaged input is reported by our codes, not on stderr
    auto stopped = [stop] { return stop != nullptr && stop->load(); };
    auto report = [&progress](double percent) {
        if (progress) progress(percent);
    };
    report(0);
    // Only a regular file (or a link to one): opening a FIFO nobody writes would block for ever,
    // and no interrupt reaches a thread waiting in open().
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec)) return kCannotOpen;
    if (wmaOnly) {
        switch (ScanAsfHeader(source)) {
            case AsfHeader::NotAsf:
                return kCannotOpen;
            case AsfHeader::Encrypted:
                return kProtected;
            case AsfHeader::Truncated:
                return kFailed;
            case AsfHeader::Plain:
                break;
        }
    }

    // The file itself and nothing else: no other protocol (a name with a colon is still a file
    // name) and only the containers of the formats asked for, so a playlist or a concat script
    // given an audio name can't make FFmpeg read other files or URLs.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", wmaOnly ? "asf" : kAacContainers, 0);
    AVFormatContext* opened = avformat_alloc_context();
    if (opened == nullptr) {
        av_dict_free(&options);
        return kFailed;
    }
    // FFmpeg asks this between its reads and gives up at a stop request, so a slow read (a
    // network mount) doesn't keep a stopped decode going.
    if (stop != nullptr) {
        opened->interrupt_callback.callback = [](void* flag) -> int {
            return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
        };
        opened->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(stop);
    }
    const std::string url = "file:" + source;
    const int openResult = avformat_open_input(&opened, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (openResult < 0) return stopped() ? kStopped : kCannotOpen;  // the context is freed
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return stopped() ? kStopped : kCannotOpen;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return kCannotOpen;
    AVStream& stream = *format->streams[index];
    const AVCodecParameters& parameters = *stream.codecpar;
    // Audio of a codec FFmpeg can't decode (or doesn't know) is a missing codec, also in an
    // ASF file; known audio other than WMA in an ASF file is not a WMA file.
    const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
    if (codec == nullptr) return kNoCodec;
    if (wmaOnly && (std::strcmp(format->iformat->name, "asf") != 0 || !isWma(parameters.codec_id)))
        return kCannotOpen;

    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), &parameters) < 0 ||
        avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return kFailed;
    const int rate = decoder->sample_rate > 0 ? decoder->sample_rate : parameters.sample_rate;
    const int channels = decoder->ch_layout.nb_channels;
    if (rate <= 0 || rate > 768000 || channels <= 0) return kCannotOpen;

    if (std::filesystem::equivalent(source, wave, ec)) return kFailed;  // would destroy the source
    wav::Writer out;
    wav::Format wanted;
    wanted.channels = channels == 1 ? 1 : 2;
    wanted.sampleRate = static_cast<uint32_t>(rate);
    wanted.bitsPerSample = 16;
    if (!out.open(wave, wanted)) return kFailed;
    FrameWriter frames(out, rate, wanted.channels);

    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    if (!packet || !frame) return kFailed;
    const int64_t fileBytes = format->pb != nullptr ? avio_size(format->pb) : -1;
    double shown = 0;

    // Hands every frame the decoder has ready to the writer; false on a decode or write failure.
    auto drain = [&]() {
        for (;;) {
            const int got = avcodec_receive_frame(decoder.get(), frame.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
            if (got < 0) return false;
            const bool written = frames.write(*frame);
            av_frame_unref(frame.get());
            if (!written) return false;
        }
    };

    for (;;) {
        if (stopped()) return kStopped;
        const int read = av_read_frame(format.get(), packet.get());
        if (read == AVERROR_EOF) break;
        if (read < 0) return stopped() ? kStopped : kFailed;  // a read error or a cut-off file
        if (packet->stream_index == index) {
            const double percent = percentAt(*packet, fileBytes, stream);
            const bool sent = avcodec_send_packet(decoder.get(), packet.get()) >= 0;
            av_packet_unref(packet.get());
            if (!sent || !drain()) return kFailed;
            // Once audio is written, at least one value strictly inside (0, 100), then whenever
            // the whole percent moves on.
            if (frames.framesWritten() > 0) {
                const double now = std::clamp(percent, 0.5, kMostBeforeClose);
                if (shown == 0 || static_cast<int>(now) > static_cast<int>(shown)) {
                    shown = now;
                    report(now);
                }
            }
        } else {
            av_packet_unref(packet.get());
        }
    }
    if (avcodec_send_packet(decoder.get(), nullptr) < 0 || !drain() || !frames.flush())
        return kFailed;
    if (frames.framesWritten() == 0) return kFailed;  // nothing decoded: no file
    // The ASF demuxer skips damaged packets without a word; a WMA file that yields much less
    // than the play time its header declares is damaged, not short.
    if (wmaOnly && format->duration > 0) {
        const double declared = double(format->duration) / AV_TIME_BASE;
        const double decoded = double(frames.framesWritten()) / rate;
        if (decoded < 0.9 * declared - 0.1) return kFailed;
    }
    if (shown == 0) report(0.5);
    if (stopped()) return kStopped;
    return out.close() ? 0 : kFailed;
}

}  // namespace velt::platform::outside

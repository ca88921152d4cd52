#include "platform/wave_io/file_wave_in.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace velt::platform::wave_in {

namespace {

uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

class FileCapture : public Capture {
  public:
    // `samples` holds `fileChannels` interleaved; the capture hands out `channels`.
    FileCapture(std::vector<int16_t> samples, int32_t fileChannels, int32_t channels,
                const Clock& clock, Pacing pacing)
        : samples_(std::move(samples)),
          fileChannels_(fileChannels),
          channels_(channels),
          frames_(static_cast<int64_t>(samples_.size()) / fileChannels),
          clock_(clock),
          pacing_(pacing) {}

    int32_t start(size_t) override {
        startMs_ = clock_.nowMs();
        stoppedAt_.reset();
        readEnd_ = 0;
        return NoError;
    }
    bool position(int64_t& samples) override {
        samples = stoppedAt_ ? *stoppedAt_ : playedNow();
        return true;
    }
    bool done() override {
        int64_t at = 0;
        position(at);
        return at >= frames_;
    }
    bool read(int64_t first, std::span<int16_t> out) override {
        const int64_t count = static_cast<int64_t>(out.size()) / channels_;
        if (first < 0 || first + count > frames_) return false;
        for (int64_t f = 0; f < count; ++f) {
            const int16_t* in = samples_.data() + (first + f) * fileChannels_;
            int16_t* to = out.data() + f * channels_;
            if (fileChannels_ == channels_) {
                std::copy_n(in, channels_, to);
            } else if (fileChannels_ == 1) {  // a mono file sounds on both channels
                to[0] = to[1] = in[0];
            } else {  // a stereo file heard by a mono capture: the two sides mixed
                to[0] = static_cast<int16_t>((in[0] + in[1]) / 2);
            }
        }
        readEnd_ = std::max(readEnd_, first + count);
        return true;
    }
    void stop() override {
        if (startMs_ && !stoppedAt_) stoppedAt_ = playedNow();
    }

  private:
    int64_t playedNow() const {
        if (!startMs_) return 0;
        int64_t elapsed = std::max<int64_t>(0, clock_.nowMs() - *startMs_);
        int64_t played = std::min<int64_t>(elapsed * kLiveFormat.sampleRate / 1000, frames_);
        if (pacing_ == Pacing::FileSpeed)
            return std::min<int64_t>(readEnd_ + kPacedLeadSamples, frames_);
        if (pacing_ == Pacing::Reader) played = std::min(played, readEnd_ + kPacedLeadSamples);
        return played;
    }

    std::vector<int16_t> samples_;
    int32_t fileChannels_;
    int32_t channels_;
    int64_t frames_;
    const Clock& clock_;
    Pacing pacing_;
    std::optional<int64_t> startMs_;
    std::optional<int64_t> stoppedAt_;
    int64_t readEnd_ = 0;  // the end of the newest frames read since the start
};

}  // namespace

std::optional<std::vector<int16_t>> readLiveWav(const std::filesystem::path& file, int32_t& result,
                                                int32_t* channels) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result = NoDriver;
        return std::nullopt;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    result = BadFormat;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    bool formatSeen = false;
    int32_t fileChannels = 1;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const unsigned char* chunk = bytes.data() + at;
        size_t size = le32(chunk + 4);
        size_t body = at + 8;
        size_t available = std::min(size, bytes.size() - body);  // a cut file keeps what it has
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (available < 16) return std::nullopt;
            const unsigned char* f = bytes.data() + body;
            // PCM, one or two channels, 44,100 Hz, 16 bits: nothing else is heard.
            fileChannels = le16(f + 2);
            if (le16(f) != 1 || (fileChannels != 1 && fileChannels != 2) || le32(f + 4) != 44100 ||
                le16(f + 14) != 16) {
                return std::nullopt;
            }
            formatSeen = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!formatSeen) return std::nullopt;
            std::vector<int16_t> samples(available / (2 * fileChannels) * fileChannels);
            for (size_t i = 0; i < samples.size(); ++i) {
                samples[i] = static_cast<int16_t>(le16(bytes.data() + body + 2 * i));
            }
            result = NoError;
            if (channels != nullptr) *channels = fileChannels;
            return samples;
        }
        if (size > bytes.size() - body) break;
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

int32_t FileDevices::open(int32_t, const Format& format, std::unique_ptr<Capture>& capture) {
    if (format.sampleRate != kLiveFormat.sampleRate || format.bitsPerSample != 16 ||
        (format.channels != 1 && format.channels != 2)) {
        return BadFormat;
    }
    int32_t result = NoError;
    int32_t fileChannels = 1;
    std::optional<std::vector<int16_t>> samples = readLiveWav(file_, result, &fileChannels);
    if (!samples) return result;
    capture = std::make_unique<FileCapture>(std::move(*samples), fileChannels, format.channels,
                                            clock_ ? *clock_ : steady_, pacing_);
    return NoError;
}

}  // namespace velt::platform::wave_in

#include "platform/mci/wave_audio.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/mci/sound_playback.h"
#include "platform/wav/wav_file.h"
#include "platform/wave_io/wave_in.h"

namespace velt::platform::mci {

namespace {

// The ring of the input keeps this many seconds; the take empties it four times a second.
constexpr int64_t kRingSeconds = 10;
constexpr int64_t kPullEveryMs = 250;

class WaveFileDevice : public Device {
  public:
    explicit WaveFileDevice(Timing& timing) : playback_(timing) {}
    int32_t load(const std::filesystem::path& file) {
        auto sound = std::make_shared<PcmSound>();
        switch (loadWav(file, *sound)) {
            case SoundLoad::Ok:
                break;
            case SoundLoad::Missing:
                return kMciFileNotFound;
            case SoundLoad::Unsupported:
                return kMciFormatNotSupported;
            default:
                return kMciInvalidFile;
        }
        return playback_.open(std::move(sound));
    }

    int32_t play(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) override {
        return playback_.play(fromMs, toMs, [this] { ended(); });
    }
    int32_t pause() override { return playback_.pause(); }
    int32_t resume() override { return playback_.resume(); }
    int32_t stop() override { return playback_.stop(); }
    int32_t seek(int64_t ms) override { return playback_.seek(ms); }
    int64_t positionMs() override { return playback_.positionMs(); }
    int64_t lengthMs() override { return playback_.lengthMs(); }
    Mode mode() override { return playback_.mode(); }

  private:
    SoundPlayback playback_;
};

int32_t fromWaveIn(int32_t result) {
    switch (result) {
        case wave_in::NoError:
            return kMciOk;
        case wave_in::NoDevice:
            return kMciNoDevice;
        case wave_in::BadFormat:
            return kMciFormatNotSupported;
        case wave_in::Allocated:
            return kMciBusy;
        default:
            return kMciHardwareFailure;
    }
}

class NewTakeDevice : public Device {
  public:
    explicit NewTakeDevice(Timing& timing) : playback_(timing), pull_(timing) {}
    ~NewTakeDevice() override { closeInput(); }

    int32_t set(const WaveSettings& s) override {
        if (recording_) return kMciBusy;
        WaveSettings next = settings_;
        auto take = [](std::optional<int32_t>& to, const std::optional<int32_t>& from) {
            if (from) to = from;
        };
        take(next.bitsPerSample, s.bitsPerSample);
        take(next.channels, s.channels);
        take(next.samplesPerSec, s.samplesPerSec);
        take(next.alignment, s.alignment);
        take(next.bytesPerSec, s.bytesPerSec);
        take(next.formatTag, s.formatTag);
        const int32_t bits = next.bitsPerSample.value_or(16);
        const int32_t channels = next.channels.value_or(2);
        const int32_t rate = next.samplesPerSec.value_or(44100);
        if (next.formatTag.value_or(1) != 1 || bits != 16 || channels < 1 || channels > 2 ||
            rate < 8000 || rate > 48000) {
            return kMciFormatNotSupported;
        }
        const int32_t block = channels * bits / 8;
        if (next.alignment.value_or(block) != block ||
            next.bytesPerSec.value_or(block * rate) != block * rate) {
            return kMciOutOfRange;
        }
        settings_ = next;
        if (!take_.empty() && (channels != channels_ || rate != rate_)) take_.clear();
        channels_ = channels;
        rate_ = rate;
        return startInput();
    }

    int32_t record() override {
        if (recording_) return kMciOk;
        playback_.close();
        if (input_ == 0) {
            int32_t result = startInput();
            if (result != kMciOk) return result;
        }
        int64_t captured = 0;
        wave_in::position(input_, captured);
        takeFirst_ = captured;  // what came before is dropped
        pulled_ = captured;
        takeBase_ = static_cast<int64_t>(take_.size()) / channels_;
        startMs_ = pull_.now();
        recording_ = true;
        pull_.at(startMs_ + kPullEveryMs, [this] { pullAgain(); });
        return kMciOk;
    }

    int32_t play(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) override {
        if (recording_) return kMciBusy;
        if (!playback_.isOpen()) {
            auto sound = std::make_shared<PcmSound>(soundOfTake());
            int32_t result = playback_.open(std::move(sound));
            if (result != kMciOk) return result;
        }
        return playback_.play(fromMs, toMs, [this] { ended(); });
    }
    int32_t pause() override { return idle() ? kMciOk : playback_.pause(); }
    int32_t resume() override { return idle() ? kMciOk : playback_.resume(); }
    int32_t stop() override {
        if (recording_) {
            pull_.cancel();
            const int64_t wanted =
                (std::max<int64_t>(0, pull_.now() - startMs_) * rate_ + 500) / 1000;
            pull(takeFirst_ + wanted);
            take_.resize(static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(take_.size()),
                                                               (takeBase_ + wanted) * channels_)));
            recording_ = false;
            return kMciOk;
        }
        return playback_.isOpen() ? playback_.stop() : kMciOk;
    }
    int32_t seek(int64_t ms) override {
        if (recording_) return kMciBusy;
        return playback_.isOpen() ? playback_.seek(ms) : kMciOk;
    }
    int64_t positionMs() override {
        if (recording_) return lengthMs();
        return playback_.isOpen() ? playback_.positionMs() : 0;
    }
    int64_t lengthMs() override {
        const int64_t frames = static_cast<int64_t>(take_.size()) / channels_;
        return (frames * 1000 + rate_ / 2) / rate_;
    }
    Mode mode() override {
        if (recording_) return Mode::Recording;
        return playback_.isOpen() ? playback_.mode() : Mode::Stopped;
    }

    int32_t save(const std::filesystem::path& file, std::string& reason) override {
        if (recording_) return kMciBusy;
        wav::Writer writer;
        wav::Format format;
        format.channels = static_cast<uint16_t>(channels_);
        format.sampleRate = static_cast<uint32_t>(rate_);
        format.bitsPerSample = 16;
        const std::vector<uint8_t> bytes = takeBytes();
        if (writer.open(file, format) &&
            (bytes.empty() || writer.write(bytes.data(), bytes.size())) && writer.close()) {
            return kMciOk;
        }
        if (writer.error() != 0) reason = std::strerror(writer.error());
        return kMciWriteFailed;
    }

    int32_t erase() override {
        if (recording_) return kMciBusy;
        playback_.close();
        take_.clear();
        return kMciOk;
    }

  private:
    // Neither recording nor holding a playback: pause and resume have nothing to do.
    bool idle() const { return recording_ || !playback_.isOpen(); }

    int32_t startInput() {
        closeInput();
        int32_t handle = 0;
        int32_t result = wave_in::open(handle, -1, wave_in::Format{rate_, channels_, 16});
        if (result != wave_in::NoError) return fromWaveIn(result);
        result = wave_in::start(handle, static_cast<size_t>(rate_ * kRingSeconds));
        if (result != wave_in::NoError) {
            wave_in::close(handle);
            return fromWaveIn(result);
        }
        input_ = handle;
        return kMciOk;
    }

    void closeInput() {
        pull_.cancel();
        if (input_ != 0) wave_in::close(input_);
        input_ = 0;
        recording_ = false;
    }

    void pullAgain() {
        int64_t captured = 0;
        wave_in::position(input_, captured);
        pull(captured);
        pull_.at(pull_.now() + kPullEveryMs, [this] { pullAgain(); });
    }

    // Moves the frames from pulled_ up to `upTo` (as far as they arrived) from the input's ring
    // into the take; frames the ring has already let go of become silence.
    void pull(int64_t upTo) {
        int64_t captured = 0;
        wave_in::position(input_, captured);
        upTo = std::min(upTo, captured);
        if (upTo <= pulled_) return;
        const int64_t oldest = std::max<int64_t>(0, captured - rate_ * kRingSeconds);
        if (pulled_ < oldest) {
            take_.resize(take_.size() + static_cast<size_t>((oldest - pulled_) * channels_), 0);
            pulled_ = oldest;
        }
        std::vector<int16_t> frames(static_cast<size_t>((upTo - pulled_) * channels_));
        if (wave_in::read(input_, upTo, frames) != wave_in::NoError)
            std::fill(frames.begin(), frames.end(), 0);
        take_.insert(take_.end(), frames.begin(), frames.end());
        pulled_ = upTo;
    }

    std::vector<uint8_t> takeBytes() const {
        std::vector<uint8_t> bytes(take_.size() * 2);
        for (size_t i = 0; i < take_.size(); ++i) {
            const auto v = static_cast<uint16_t>(take_[i]);
            bytes[2 * i] = static_cast<uint8_t>(v & 0xFF);
            bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
        }
        return bytes;
    }

    PcmSound soundOfTake() const {
        PcmSound sound;
        sound.sampleRate = rate_;
        sound.channels = channels_;
        sound.bitsPerSample = 16;
        sound.data = takeBytes();
        return sound;
    }

    SoundPlayback playback_;
    Alarm pull_;
    WaveSettings settings_;
    int32_t channels_ = 2;
    int32_t rate_ = 44100;
    int32_t input_ = 0;
    bool recording_ = false;
    int64_t takeFirst_ = 0;  // the input's frame at "record"
    int64_t takeBase_ = 0;   // frames of the take before this "record"
    int64_t pulled_ = 0;     // the input's next frame to move into the take
    int64_t startMs_ = 0;
    std::vector<int16_t> take_;  // interleaved
};

}  // namespace

int32_t openWaveFile(const std::filesystem::path& file, Timing& timing,
                     std::unique_ptr<Device>& device) {
    auto made = std::make_unique<WaveFileDevice>(timing);
    int32_t result = made->load(file);
    if (result != kMciOk) return result;
    device = std::move(made);
    return kMciOk;
}

int32_t openNewTake(Timing& timing, std::unique_ptr<Device>& device) {
    // Without any sound input there is nothing to record from: say so at once, not at "set".
    if (wave_in::deviceCount() == 0) return kMciNoDevice;
    device = std::make_unique<NewTakeDevice>(timing);
    return kMciOk;
}

}  // namespace velt::platform::mci

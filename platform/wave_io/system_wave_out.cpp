#include "platform/wave_io/system_wave_out.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/wave_io/rtaudio_devices.h"

namespace velt::platform::wave_out {

namespace {

// One output stream: the driver's thread pulls frames from the sound between `frame_` and
// `end_`, scaled by the gain; outside a playing stretch it gets silence.
class RtStream : public Stream {
  public:
    RtStream(std::unique_ptr<RtAudio> client, std::shared_ptr<const PcmSound> sound)
        : client_(std::move(client)), sound_(std::move(sound)) {}
    ~RtStream() override {
        try {
            if (client_->isStreamRunning()) client_->stopStream();
            if (client_->isStreamOpen()) client_->closeStream();
        } catch (const RtAudioError&) {
        }
    }
    RtStream(const RtStream&) = delete;
    RtStream& operator=(const RtStream&) = delete;

    RtAudio* client() { return client_.get(); }

    static int onOutput(void* output, void*, unsigned frames, double, RtAudioStreamStatus,
                        void* self) {
        static_cast<RtStream*>(self)->fill(static_cast<float*>(output), frames);
        return 0;
    }

    int32_t play(int64_t first, int64_t end) override {
        {
            std::lock_guard lock(mutex_);
            frame_ = first;
            end_ = end;
            running_ = true;
            paused_ = false;
        }
        try {
            if (!client_->isStreamRunning()) client_->startStream();
        } catch (const RtAudioError&) {
            std::lock_guard lock(mutex_);
            running_ = false;
            return NoDriver;
        }
        return NoError;
    }
    void pause() override {
        std::lock_guard lock(mutex_);
        if (running_) paused_ = true;
    }
    void resume() override {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    void stop() override {
        std::lock_guard lock(mutex_);
        running_ = false;
        paused_ = false;
    }
    int64_t position() override {
        std::lock_guard lock(mutex_);
        return frame_;
    }
    bool finished() override {
        std::lock_guard lock(mutex_);
        return running_ && !paused_ && frame_ >= end_;
    }
    void setGain(const Gain& gain) override {
        std::lock_guard lock(mutex_);
        gain_ = gain;
    }

  private:
    void fill(float* out, unsigned frames) {
        std::lock_guard lock(mutex_);
        const int32_t channels = sound_->channels;
        unsigned done = 0;
        if (running_ && !paused_) {
            for (; done < frames && frame_ < end_; ++done, ++frame_) {
                float left = sound_->sample(frame_, 0);
                float right = channels > 1 ? sound_->sample(frame_, 1) : left;
                if (channels == 1) {
                    out[done] = static_cast<float>(left * (gain_.left + gain_.right) / 2);
                } else {
                    out[2 * done] = static_cast<float>(left * gain_.left);
                    out[2 * done + 1] = static_cast<float>(right * gain_.right);
                }
            }
        }
        std::fill(out + done * static_cast<unsigned>(channels),
                  out + frames * static_cast<unsigned>(channels), 0.0f);
    }

    std::unique_ptr<RtAudio> client_;
    std::shared_ptr<const PcmSound> sound_;
    std::mutex mutex_;
    bool running_ = false, paused_ = false;
    int64_t frame_ = 0, end_ = 0;
    Gain gain_;
};

class SystemDevices : public Devices {
  public:
    int32_t count() override { return rtAudioDeviceCount(SoundDirection::Output); }
    std::string name(int32_t id) override { return rtAudioDeviceName(SoundDirection::Output, id); }
    int32_t open(int32_t id, std::shared_ptr<const PcmSound> sound,
                 std::unique_ptr<Stream>& stream) override {
        auto client = makeRtAudioClient();
        if (!client) return NoDriver;
        auto devices = rtAudioDevices(*client, SoundDirection::Output);
        if (id < 0 || id >= static_cast<int32_t>(devices.size())) return BadDeviceId;
        RtAudio::StreamParameters output;
        output.deviceId = devices[id].first;
        output.nChannels = static_cast<unsigned>(sound->channels);
        unsigned frames = kRtAudioBufferFrames;
        const auto rate = static_cast<unsigned>(sound->sampleRate);
        auto made = std::make_unique<RtStream>(std::move(client), std::move(sound));
        try {
            made->client()->openStream(&output, nullptr, RTAUDIO_FLOAT32, rate, &frames,
                                       RtStream::onOutput, made.get(), nullptr, quietRtAudio);
        } catch (const RtAudioError& error) {
            return rtAudioOpenResult(error);
        }
        stream = std::move(made);
        return NoError;
    }
};

}  // namespace

std::unique_ptr<Devices> makeSystemDevices() {
    return std::make_unique<SystemDevices>();
}

}  // namespace velt::platform::wave_out

#include "platform/wave_io/system_wave_in.h"

#include <algorithm>
#include <vector>

#include "platform/wave_io/rtaudio_devices.h"
#include "platform/wave_io/sample_ring.h"

namespace velt::platform::wave_in {

namespace {

class RtCapture : public Capture {
  public:
    RtCapture(std::unique_ptr<RtAudio> client, int32_t channels)
        : client_(std::move(client)), channels_(channels) {}
    ~RtCapture() override {
        stop();
        try {
            if (client_->isStreamOpen()) client_->closeStream();
        } catch (const RtAudioError&) {
        }
    }
    RtCapture(const RtCapture&) = delete;
    RtCapture& operator=(const RtCapture&) = delete;

    RtAudio* client() { return client_.get(); }

    static int onInput(void*, void* input, unsigned frames, double, RtAudioStreamStatus,
                       void* self) {
        auto* capture = static_cast<RtCapture*>(self);
        if (input) {
            capture->ring_.write(std::span<const int16_t>(static_cast<const int16_t*>(input),
                                                          frames * capture->channels_));
        }
        return 0;
    }

    int32_t start(size_t ringSamples) override {
        if (!ring_.allocate(ringSamples, channels_)) return NoMemory;
        try {
            client_->startStream();
        } catch (const RtAudioError&) {
            return NoDriver;
        }
        return NoError;
    }
    bool position(int64_t& samples) override {
        samples = ring_.written();
        return true;
    }
    bool done() override { return false; }
    bool read(int64_t first, std::span<int16_t> out) override { return ring_.read(first, out); }
    void stop() override {
        try {
            if (client_->isStreamRunning()) client_->stopStream();
        } catch (const RtAudioError&) {
        }
    }

  private:
    std::unique_ptr<RtAudio> client_;
    int32_t channels_;
    SampleRing ring_;
};

class SystemDevices : public Devices {
  public:
    int32_t count() override { return rtAudioDeviceCount(SoundDirection::Input); }
    std::string name(int32_t id) override { return rtAudioDeviceName(SoundDirection::Input, id); }
    int32_t open(int32_t id, const Format& format, std::unique_ptr<Capture>& capture) override {
        auto client = makeRtAudioClient();
        if (!client) return NoDriver;
        auto devices = rtAudioDevices(*client, SoundDirection::Input);
        if (id < 0 || id >= static_cast<int32_t>(devices.size())) return BadDeviceId;
        RtAudio::DeviceInfo info;
        try {
            info = client->getDeviceInfo(devices[id].first);
        } catch (const RtAudioError&) {
            return NoDriver;
        }
        const auto& rates = info.sampleRates;
        if (std::find(rates.begin(), rates.end(), static_cast<unsigned>(format.sampleRate)) ==
            rates.end()) {
            return BadFormat;
        }
        RtAudio::StreamParameters input;
        input.deviceId = devices[id].first;
        input.nChannels = static_cast<unsigned>(format.channels);
        unsigned frames = kRtAudioBufferFrames;
        auto made = std::make_unique<RtCapture>(std::move(client), format.channels);
        RtAudio* raw = made->client();
        try {
            raw->openStream(nullptr, &input, RTAUDIO_SINT16,
                            static_cast<unsigned>(format.sampleRate), &frames, RtCapture::onInput,
                            made.get(), nullptr, quietRtAudio);
        } catch (const RtAudioError& error) {
            return rtAudioOpenResult(error);
        }
        capture = std::move(made);
        return NoError;
    }
};

}  // namespace

std::unique_ptr<Devices> makeSystemDevices() {
    return std::make_unique<SystemDevices>();
}

}  // namespace velt::platform::wave_in

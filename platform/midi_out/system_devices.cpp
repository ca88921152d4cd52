#include "platform/midi_out/system_devices.h"

#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>

namespace velt::platform::midi_out {

namespace {

// ALSA prints its own complaints (no sequencer on a server, for instance) to standard error;
// the layer reports through its result numbers instead.
void silentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void quietRtMidi(RtMidiError::Type, const std::string&, void*) {}

std::unique_ptr<RtMidiOut> makeClient() {
    snd_lib_error_set_handler(silentAlsaError);
    // RtMidi prints its own message when the sequencer is missing; ask ALSA quietly first.
    snd_seq_t* probe = nullptr;
    if (snd_seq_open(&probe, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return nullptr;
    snd_seq_close(probe);
    try {
        auto client = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Veltrane");
        client->setErrorCallback(quietRtMidi, nullptr);
        return client;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

class RtPort : public Port {
  public:
    explicit RtPort(std::unique_ptr<RtMidiOut> client) : client_(std::move(client)) {}
    int32_t send(const std::vector<uint8_t>& bytes) override {
        try {
            client_->sendMessage(&bytes);
            return NoError;
        } catch (const RtMidiError&) {
            return NotReady;
        }
    }
    int32_t reset() override {
        for (uint8_t channel = 0; channel < 16; ++channel) {
            int32_t r = send({static_cast<uint8_t>(0xB0 | channel), 64, 0});  // sustain off
            if (r == NoError)
                r = send({static_cast<uint8_t>(0xB0 | channel), 123, 0});  // notes off
            if (r != NoError) return r;
        }
        return NoError;
    }
    void close() override {
        try {
            client_->closePort();
        } catch (const RtMidiError&) {
        }
    }

  private:
    std::unique_ptr<RtMidiOut> client_;
};

class RtDevices : public Devices {
  public:
    int32_t count() override {
        auto client = makeClient();
        if (!client) return 0;
        try {
            return static_cast<int32_t>(client->getPortCount());
        } catch (const RtMidiError&) {
            return 0;
        }
    }
    std::string name(int32_t id) override {
        auto client = makeClient();
        if (!client) return "";
        try {
            return client->getPortName(static_cast<unsigned>(id));
        } catch (const RtMidiError&) {
            return "";
        }
    }
    int32_t open(int32_t id, std::unique_ptr<Port>& port) override {
        auto client = makeClient();
        if (!client) return NoDriver;
        try {
            if (static_cast<unsigned>(id) >= client->getPortCount()) return BadDeviceId;
            client->openPort(static_cast<unsigned>(id), "Veltrane output");
            if (!client->isPortOpen()) return Allocated;
        } catch (const RtMidiError&) {
            return Allocated;
        }
        port = std::make_unique<RtPort>(std::move(client));
        return NoError;
    }
};

}  // namespace

std::unique_ptr<Devices> makeSystemDevices() {
    return std::make_unique<RtDevices>();
}

}  // namespace velt::platform::midi_out

#include "platform/midi_out/system_devices.h"

#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>

#include <iostream>
#include <regex>

#include "platform/device_log/quiet_libraries.h"

namespace velt::platform::midi_out {

namespace {

constexpr const char* kSynthName = "Software Synthesizer (GM)";

void quietRtMidi(RtMidiError::Type, const std::string&, void*) {}

// RtMidi prints its errors to std::cerr before it throws; while it builds its client its error
// callback cannot be set yet, so the stream is muted instead.
class MutedCerr {
  public:
    MutedCerr() : saved_(std::cerr.rdbuf(nullptr)) {}
    ~MutedCerr() {
        std::cerr.rdbuf(saved_);
        std::cerr.clear();
    }
    MutedCerr(const MutedCerr&) = delete;
    MutedCerr& operator=(const MutedCerr&) = delete;

  private:
    std::streambuf* saved_;
};

std::unique_ptr<RtMidiOut> makeClient() {
    quietOutsideSoundLibraries();
    // Ask ALSA (quietly) whether there is a sequencer at all before RtMidi tries.
    snd_seq_t* probe = nullptr;
    if (snd_seq_open(&probe, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return nullptr;
    snd_seq_close(probe);
    try {
        MutedCerr muted;
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
    int32_t reset() override { return sendResetMessages(*this); }
    void close() override {
        try {
            client_->closePort();
        } catch (const RtMidiError&) {
        }
    }

  private:
    std::unique_ptr<RtMidiOut> client_;
};

// The ALSA sequencer's output ports, numbered from 0 in RtMidi's order.
class AlsaPorts {
  public:
    int32_t count() {
        auto client = makeClient();
        if (!client) return 0;
        try {
            return static_cast<int32_t>(client->getPortCount());
        } catch (const RtMidiError&) {
            return 0;
        }
    }
    std::string name(int32_t id) {
        auto client = makeClient();
        if (!client) return "";
        try {
            return alsaPortName(client->getPortName(static_cast<unsigned>(id)));
        } catch (const RtMidiError&) {
            return "";
        }
    }
    int32_t open(int32_t id, std::unique_ptr<Port>& port) {
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

class SystemDevices : public Devices {
  public:
    explicit SystemDevices(SoftSynthOptions synthOptions)
        : hasSynth_(softSynthAvailable(synthOptions.soundFont)), synth_(std::move(synthOptions)) {}

    int32_t count() override { return (hasSynth_ ? 1 : 0) + alsa_.count(); }
    std::string name(int32_t id) override {
        if (hasSynth_ && id == 0) return kSynthName;
        return alsa_.name(hasSynth_ ? id - 1 : id);
    }
    int32_t open(int32_t id, std::unique_ptr<Port>& port) override {
        if (hasSynth_ && id == 0) return synth_.openPort(port);
        return alsa_.open(hasSynth_ ? id - 1 : id, port);
    }

  private:
    bool hasSynth_;
    SoftSynth synth_;  // keeps its loaded sound font between opens
    AlsaPorts alsa_;
};

}  // namespace

std::string alsaPortName(const std::string& rtMidiName) {
    static const std::regex address(R"( [0-9]+:[0-9]+$)");
    std::string name = std::regex_replace(rtMidiName, address, "");
    size_t colon = name.find(':');
    if (colon != std::string::npos && colon + 1 < name.size()) name = name.substr(colon + 1);
    return name;
}

std::unique_ptr<Devices> makeSystemDevices(SoftSynthOptions synthOptions) {
    return std::make_unique<SystemDevices>(std::move(synthOptions));
}

}  // namespace velt::platform::midi_out

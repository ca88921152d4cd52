#include "platform/midi_out/midi_out.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "platform/midi_out/system_devices.h"

namespace velt::platform::midi_out {

namespace {

int64_t elapsedMs() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// The recording device of VELTRANE_MIDIOUT_LOG: every event is one appended line.
class LogPort : public Port {
  public:
    explicit LogPort(std::string file) : file_(std::move(file)) {}
    int32_t send(const std::vector<uint8_t>& bytes) override {
        std::string line;
        char hex[4];
        for (uint8_t b : bytes) {
            std::snprintf(hex, sizeof hex, "%02x", b);
            if (!line.empty()) line += ' ';
            line += hex;
        }
        return write(line);
    }
    int32_t reset() override { return write("reset"); }
    void close() override { write("close"); }

  private:
    int32_t write(const std::string& what) {
        std::ofstream out(file_, std::ios::app | std::ios::binary);
        out << elapsedMs() << ' ' << what << '\n';
        out.flush();
        return out ? NoError : NotReady;
    }
    std::string file_;
};

class LogDevices : public Devices {
  public:
    explicit LogDevices(std::string file) : file_(std::move(file)) {}
    int32_t count() override { return 1; }
    std::string name(int32_t id) override { return id == 0 ? "Veltrane MIDI log" : ""; }
    int32_t open(int32_t id, std::unique_ptr<Port>& port) override {
        if (id != 0) return BadDeviceId;
        std::ofstream probe(file_, std::ios::app | std::ios::binary);
        if (!probe) return NoDriver;
        port = std::make_unique<LogPort>(file_);
        return NoError;
    }

  private:
    std::string file_;
};

class RecordingPort : public Port {
  public:
    RecordingPort(RecordingMidiOut& owner, int32_t device) : owner_(owner), device_(device) {}
    int32_t send(const std::vector<uint8_t>& bytes) override {
        if (owner_.sendResult != NoError) return owner_.sendResult;
        owner_.events.push_back({RecordingMidiOut::Event::Kind::Message, device_, bytes});
        return NoError;
    }
    int32_t reset() override {
        owner_.events.push_back({RecordingMidiOut::Event::Kind::Reset, device_, {}});
        return NoError;
    }
    void close() override {
        owner_.events.push_back({RecordingMidiOut::Event::Kind::Close, device_, {}});
    }
    bool setGain(double gain) override {
        if (!owner_.hasGain) return false;
        owner_.gains.push_back(gain);
        return true;
    }

  private:
    RecordingMidiOut& owner_;
    int32_t device_;
};

struct OpenPort {
    int32_t device = 0;
    std::unique_ptr<Port> port;
    uint8_t lastStatus = 0;
    double velocityScale = 1.0;  // the volume, when the port has no gain of its own
};

struct State {
    Devices* chosen = nullptr;
    std::unique_ptr<Devices> own;
    std::map<int32_t, OpenPort> ports;
    std::map<int32_t, uint32_t> volumes;  // per device; absent = full
    int32_t nextHandle = 1;
};

State& state() {
    static State s;
    return s;
}

// The louder side of a volume word, 0..1.
double levelOf(uint32_t volume) {
    return std::max(volume & 0xFFFF, volume >> 16) / 65535.0;
}

void applyVolume(OpenPort& open) {
    auto it = state().volumes.find(open.device);
    const double level = it == state().volumes.end() ? 1.0 : levelOf(it->second);
    open.velocityScale = open.port->setGain(level) ? 1.0 : level;
}

Devices& devices() {
    State& s = state();
    if (s.chosen) return *s.chosen;
    if (!s.own) {
        const char* log = std::getenv("VELTRANE_MIDIOUT_LOG");
        if (log && *log) {
            elapsedMs();  // the log's times count from here
            s.own = std::make_unique<LogDevices>(log);
        } else
            s.own = makeSystemDevices();
    }
    return *s.own;
}

}  // namespace

std::string errorText(int32_t result) {
    if (result == NoError) return "";
    std::string text = mmErrorText(result);
    return text.empty() ? "Error " + std::to_string(result) + "." : text;
}

void useDevices(Devices* chosen) {
    State& s = state();
    for (auto& [handle, open] : s.ports) open.port->close();
    s.ports.clear();
    s.volumes.clear();
    s.chosen = chosen;
    s.own.reset();
}

int32_t deviceCount() {
    return devices().count();
}

std::string deviceName(int32_t id) {
    if (id < 0 || id >= deviceCount()) return "";
    std::string name = devices().name(id);
    if (name.size() > kMaxDeviceNameLength) name.resize(kMaxDeviceNameLength);
    return name;
}

int32_t open(int32_t& handle, int32_t id) {
    handle = 0;
    int32_t count = deviceCount();
    if (count <= 0) return NoDevice;
    if (id == -1) id = 0;
    if (id < 0 || id >= count) return BadDeviceId;
    State& s = state();
    for (auto& [h, p] : s.ports)
        if (p.device == id) return Allocated;
    OpenPort entry;
    entry.device = id;
    int32_t result = devices().open(id, entry.port);
    if (result != NoError || !entry.port) return result != NoError ? result : NoDriver;
    if (s.volumes.count(id) != 0) applyVolume(entry);
    handle = s.nextHandle++;
    s.ports.emplace(handle, std::move(entry));
    return NoError;
}

int32_t setVolume(int32_t id, uint32_t volume) {
    if (id == -1) id = 0;
    // A balance slider sets the volume at every step: a device open now needs no new look at
    // the system's devices.
    bool inUse = false;
    for (auto& [handle, e] : state().ports) inUse = inUse || e.device == id;
    if (!inUse) {
        int32_t count = deviceCount();
        if (count <= 0) return NoDevice;
        if (id < 0 || id >= count) return BadDeviceId;
    }
    state().volumes[id] = volume;
    for (auto& [handle, open] : state().ports)
        if (open.device == id) applyVolume(open);
    return NoError;
}

int32_t getVolume(int32_t id, uint32_t& volume) {
    volume = 0;
    int32_t count = deviceCount();
    if (count <= 0) return NoDevice;
    if (id == -1) id = 0;
    if (id < 0 || id >= count) return BadDeviceId;
    auto it = state().volumes.find(id);
    volume = it == state().volumes.end() ? 0xFFFFFFFFu : it->second;
    return NoError;
}

int messageLength(uint8_t status) {
    if (status >= 0x80 && status <= 0xBF) return 3;
    if (status >= 0xC0 && status <= 0xDF) return 2;
    if (status >= 0xE0 && status <= 0xEF) return 3;
    if (status == 0xF1 || status == 0xF3) return 2;
    if (status == 0xF2) return 3;
    return 1;
}

int32_t shortMessage(int32_t handle, uint32_t packed) {
    auto it = state().ports.find(handle);
    if (it == state().ports.end()) return InvalidHandle;
    OpenPort& open = it->second;
    uint8_t first = static_cast<uint8_t>(packed & 0xFF);
    std::vector<uint8_t> bytes;
    if (first < 0x80) {
        // Running status: the packed bytes are data bytes of the last status.
        if (open.lastStatus == 0) return BadFormat;
        bytes.push_back(open.lastStatus);
        int length = messageLength(open.lastStatus);
        for (int i = 0; i < length - 1; ++i)
            bytes.push_back(static_cast<uint8_t>((packed >> (8 * i)) & 0x7F));
    } else {
        if (first == 0xF0 || first == 0xF7) return InvalidParam;
        int length = messageLength(first);
        bytes.push_back(first);
        for (int i = 1; i < length; ++i)
            bytes.push_back(static_cast<uint8_t>((packed >> (8 * i)) & 0x7F));
        // Channel messages set the running status, system common messages cancel it and
        // real-time messages (0xF8 and up) leave it alone.
        if (first < 0xF0) {
            open.lastStatus = first;
        } else if (first < 0xF8) {
            open.lastStatus = 0;
        }
    }
    // Without a gain of its own the device hears the volume in the note-on velocities.
    if (open.velocityScale < 1.0 && bytes.size() == 3 && (bytes[0] & 0xF0) == 0x90 &&
        bytes[2] > 0) {
        const long scaled = std::lround(bytes[2] * open.velocityScale);
        bytes[2] = static_cast<uint8_t>(std::clamp(scaled, open.velocityScale > 0 ? 1L : 0L, 127L));
    }
    return open.port->send(bytes);
}

int32_t sendResetMessages(Port& port) {
    int32_t result = NoError;
    for (uint8_t channel = 0; channel < 16; ++channel) {
        for (uint8_t controller : {64, 123}) {  // sustain off, then all notes off
            int32_t r = port.send({static_cast<uint8_t>(0xB0 | channel), controller, 0});
            if (r != NoError) result = r;
        }
    }
    return result;
}

int32_t reset(int32_t handle) {
    auto it = state().ports.find(handle);
    if (it == state().ports.end()) return InvalidHandle;
    return it->second.port->reset();
}

int32_t close(int32_t handle) {
    auto it = state().ports.find(handle);
    if (it == state().ports.end()) return InvalidHandle;
    it->second.port->close();
    state().ports.erase(it);
    return NoError;
}

std::string RecordingMidiOut::name(int32_t id) {
    return "Recording MIDI device " + std::to_string(id + 1);
}

int32_t RecordingMidiOut::open(int32_t id, std::unique_ptr<Port>& port) {
    if (openResult != NoError) return openResult;
    events.push_back({Event::Kind::Open, id, {}});
    port = std::make_unique<RecordingPort>(*this, id);
    return NoError;
}

}  // namespace velt::platform::midi_out

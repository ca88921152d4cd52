#include "platform/midi_out/midi_out.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/device_set/device_table.h"
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

// The handle table stands for the operating system's: one per process.
DeviceTable<Devices, OpenPort>& table() {
    static DeviceTable<Devices, OpenPort> t(
        []() -> std::unique_ptr<Devices> {
            const char* log = std::getenv("VELTRANE_MIDIOUT_LOG");
            if (log && *log) {
                elapsedMs();  // the log's times count from here
                return std::make_unique<LogDevices>(log);
            }
            return makeSystemDevices();
        },
        [](OpenPort& open) { open.port->close(); });
    return t;
}

OpenPort* find(int32_t handle) {
    return table().find(handle);
}

// The louder side of a volume word, 0..1.
double levelOf(uint32_t volume) {
    return std::max(volume & 0xFFFF, volume >> 16) / 65535.0;
}

void applyVolume(OpenPort& open) {
    const double level = levelOf(table().volume(open.device));
    open.velocityScale = open.port->setGain(level) ? 1.0 : level;
}

}  // namespace

std::string errorText(int32_t result) {
    return mmResultText(result);
}

void useDevices(Devices* chosen) {
    table().use(chosen);
}

int32_t deviceCount() {
    return table().count();
}

std::string deviceName(int32_t id) {
    return table().name(id);
}

int32_t open(int32_t& handle, int32_t id) {
    handle = 0;
    if (int32_t result = table().checkId(id); result != NoError) return result;
    if (table().inUse(id)) return Allocated;
    OpenPort entry;
    entry.device = id;
    int32_t result = table().devices().open(id, entry.port);
    if (result != NoError || !entry.port) return result != NoError ? result : NoDriver;
    if (table().hasVolume(id)) applyVolume(entry);
    handle = table().add(std::move(entry));
    return NoError;
}

int32_t setVolume(int32_t id, uint32_t volume) {
    return table().setVolume(id, volume, applyVolume);
}

int32_t getVolume(int32_t id, uint32_t& volume) {
    return table().getVolume(id, volume);
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
    OpenPort* found = find(handle);
    if (!found) return InvalidHandle;
    OpenPort& open = *found;
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
    OpenPort* open = find(handle);
    if (!open) return InvalidHandle;
    return open->port->reset();
}

int32_t close(int32_t handle) {
    return table().close(handle);
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

// One open multimedia device: a wave sound (played from a file, or a new take recorded from the
// sound input) or a MIDI file sequence, with positions in milliseconds. The command strings
// (mci.h) and the desktop's media control both drive devices through this interface. Every call
// answers 0 or an error number of mci_error.h; nothing throws.
//
// Playback is asynchronous and driven by the layer's timing (timing.h): a device that reaches
// the end of what it was told to play by itself calls the end handler once, from the timing.
// Stop, close, a new play and a new end handler cancel that call.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock/timing.h"
#include "platform/mci/mci_error.h"

namespace velt::platform::mci {

// The classic mode numbers.
enum class Mode : int32_t {
    NotOpen = 524,
    Stopped = 525,
    Playing = 526,
    Recording = 527,
    Seeking = 528,
    Paused = 529,
    Open = 530,
};

// The format of a new take ("set" on a waveaudio device).
struct WaveSettings {
    std::optional<int32_t> bitsPerSample, channels, samplesPerSec, alignment, bytesPerSec;
    std::optional<int32_t> formatTag;  // 1 = PCM
};

class Device {
  public:
    virtual ~Device() = default;

    // Plays from `fromMs` (else the current position) to `toMs` (else the end); a stopped or
    // paused device starts there, a playing one starts over. A position past the length is
    // kMciOutOfRange.
    virtual int32_t play(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) = 0;
    virtual int32_t pause() = 0;
    virtual int32_t resume() = 0;
    virtual int32_t stop() = 0;
    // Moves the position of a stopped or paused device (clamped to 0..length).
    virtual int32_t seek(int64_t ms) = 0;
    virtual int64_t positionMs() = 0;
    virtual int64_t lengthMs() = 0;
    virtual Mode mode() = 0;

    // Recording devices only; the others answer kMciUnknownCommand.
    virtual int32_t set(const WaveSettings&) { return kMciUnknownCommand; }
    virtual int32_t record() { return kMciUnknownCommand; }
    // Writes the take; when it cannot be written, `reason` is the system's ("No space left on
    // device").
    virtual int32_t save(const std::filesystem::path&, std::string& /*reason*/) {
        return kMciUnknownCommand;
    }
    virtual int32_t erase() { return kMciUnknownCommand; }

    // The handler of a playback that ends by itself (nullptr: none).
    void onEnd(std::function<void()> handler) { endHandler_ = std::move(handler); }

  protected:
    // Runs the end handler (once: it is cleared first).
    void ended() {
        auto handler = std::move(endHandler_);
        endHandler_ = nullptr;
        if (handler) handler();
    }

  private:
    std::function<void()> endHandler_;
};

// The device types.
enum class DeviceType { WaveAudio, Sequencer };

// Opens a device: `element` is a file path, or "new" for a waveaudio take.
int32_t openDevice(DeviceType type, const std::string& element, std::unique_ptr<Device>& device);

// The timing devices run on: nullptr goes back to the layer's own (a thread of its own). The
// desktop program installs one over its event loop, tests a ManualTiming. Devices open now keep
// the timing they were opened with, so select it before opening.
void useTiming(Timing* timing);
Timing& timing();

}  // namespace velt::platform::mci

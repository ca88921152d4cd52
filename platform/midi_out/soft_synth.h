// The built-in software synthesizer device: General MIDI through FluidSynth and the system's GM
// sound font, for users with no MIDI hardware. It is offered when the program was built with
// FluidSynth and the sound font file exists. The sound font (over 100 MB) is loaded on the first
// open and kept, so later opens (a test note every click) start at once; each open starts an
// audio output and each close stops it and silences the synthesizer.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/midi_out/midi_out.h"

namespace velt::platform::midi_out {

inline const std::filesystem::path kGeneralMidiSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

struct SoftSynthOptions {
    std::filesystem::path soundFont = kGeneralMidiSoundFont;
    // FluidSynth's audio driver; empty: the first of "pulseaudio" and "alsa" that starts.
    std::string audioDriver;
    // With the audio driver "file": the WAV file the sound is rendered into (in real time).
    std::filesystem::path outputFile;
};

// True when built with FluidSynth and `soundFont` exists.
bool softSynthAvailable(const std::filesystem::path& soundFont = kGeneralMidiSoundFont);

class SoftSynth {
  public:
    explicit SoftSynth(SoftSynthOptions options = {});
    ~SoftSynth();
    SoftSynth(const SoftSynth&) = delete;
    SoftSynth& operator=(const SoftSynth&) = delete;

    // Starts sound output; NoDriver when the sound font cannot be loaded or no audio output
    // starts. One port at a time (a device is opened by one handle at a time).
    int openPort(std::unique_ptr<Port>& port);

  private:
    struct Engine;
    SoftSynthOptions options_;
    std::unique_ptr<Engine> engine_;
};

}  // namespace velt::platform::midi_out

#include "platform/midi_out/soft_synth.h"

#include <system_error>
#include <vector>

#include "platform/device_log/quiet_libraries.h"

#ifdef VELT_HAVE_FLUIDSYNTH
#include <fluidsynth.h>
#endif

namespace velt::platform::midi_out {

bool softSynthAvailable(const std::filesystem::path& soundFont) {
#ifdef VELT_HAVE_FLUIDSYNTH
    std::error_code error;
    return std::filesystem::is_regular_file(soundFont, error);
#else
    (void)soundFont;
    return false;
#endif
}

#ifdef VELT_HAVE_FLUIDSYNTH

// The settings and the synthesizer with its sound font, made on the first open.
struct SoftSynth::Engine {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    ~Engine() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

namespace {

constexpr double kSampleRate = 44100.0;
// FluidSynth's own default gain (0.2) is much quieter than hardware synthesizers.
constexpr double kGain = 0.5;

class SoftSynthPort : public Port {
  public:
    SoftSynthPort(fluid_synth_t* synth, fluid_audio_driver_t* audio)
        : synth_(synth), audio_(audio) {}
    ~SoftSynthPort() override { close(); }
    SoftSynthPort(const SoftSynthPort&) = delete;
    SoftSynthPort& operator=(const SoftSynthPort&) = delete;

    int32_t send(const std::vector<uint8_t>& m) override {
        if (m.empty()) return NoError;
        int channel = m[0] & 0x0F;
        int d1 = m.size() > 1 ? m[1] : 0;
        int d2 = m.size() > 2 ? m[2] : 0;
        // Results are not looked at: a note-off for a note that does not sound is no error.
        switch (m[0] & 0xF0) {
            case 0x80:
                fluid_synth_noteoff(synth_, channel, d1);
                break;
            case 0x90:
                if (d2 == 0) {
                    fluid_synth_noteoff(synth_, channel, d1);
                } else {
                    fluid_synth_noteon(synth_, channel, d1, d2);
                }
                break;
            case 0xA0:
                fluid_synth_key_pressure(synth_, channel, d1, d2);
                break;
            case 0xB0:
                fluid_synth_cc(synth_, channel, d1, d2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth_, channel, d1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth_, channel, d1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth_, channel, d1 | (d2 << 7));
                break;
            default:  // system messages mean nothing to the synthesizer
                break;
        }
        return NoError;
    }

    int32_t reset() override { return sendResetMessages(*this); }

    bool setGain(double gain) override {
        fluid_synth_set_gain(synth_, static_cast<float>(kGain * gain));
        return true;
    }

    void close() override {
        if (!audio_) return;
        fluid_synth_set_gain(synth_, static_cast<float>(kGain));
        // The next open starts like a fresh device: no sound left, default programs and
        // controllers. The synthesizer applies this when it next renders, so it goes first.
        fluid_synth_system_reset(synth_);
        delete_fluid_audio_driver(audio_);
        audio_ = nullptr;
    }

  private:
    fluid_synth_t* synth_;
    fluid_audio_driver_t* audio_;
};

}  // namespace

SoftSynth::SoftSynth(SoftSynthOptions options) : options_(std::move(options)) {}

SoftSynth::~SoftSynth() = default;

int SoftSynth::openPort(std::unique_ptr<Port>& port) {
    quietOutsideSoundLibraries();
    if (!engine_) {
        auto engine = std::make_unique<Engine>();
        engine->settings = new_fluid_settings();
        if (!engine->settings) return NoDriver;
        fluid_settings_setnum(engine->settings, "synth.sample-rate", kSampleRate);
        fluid_settings_setnum(engine->settings, "synth.gain", kGain);
        engine->synth = new_fluid_synth(engine->settings);
        if (!engine->synth) return NoDriver;
        if (fluid_synth_sfload(engine->synth, options_.soundFont.c_str(), 1) == FLUID_FAILED) {
            return NoDriver;
        }
        engine_ = std::move(engine);
    }

    std::vector<std::string> drivers = {options_.audioDriver};
    if (options_.audioDriver.empty()) drivers = {"pulseaudio", "alsa"};
    if (!options_.outputFile.empty()) {
        fluid_settings_setstr(engine_->settings, "audio.file.name", options_.outputFile.c_str());
    }
    for (const std::string& name : drivers) {
        if (fluid_settings_setstr(engine_->settings, "audio.driver", name.c_str()) ==
            FLUID_FAILED) {
            continue;
        }
        if (fluid_audio_driver_t* audio =
                new_fluid_audio_driver(engine_->settings, engine_->synth)) {
            port = std::make_unique<SoftSynthPort>(engine_->synth, audio);
            return NoError;
        }
    }
    return NoDriver;
}

#else  // built without FluidSynth: there is no synthesizer device

struct SoftSynth::Engine {};

SoftSynth::SoftSynth(SoftSynthOptions options) : options_(std::move(options)) {}

SoftSynth::~SoftSynth() = default;

int SoftSynth::openPort(std::unique_ptr<Port>&) {
    return NoDriver;
}

#endif

}  // namespace velt::platform::midi_out

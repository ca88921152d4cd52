// What the recording window asks of the windows around it. The settings editor gives it the
// project's tempo, metre, key and input threshold and takes a saved take over; the New Project
// Wizard mirrors the window's counter, light, save button and level meter while WizardRunning is
// set, and stops a playback that has reached the end of the take. The window reaches both only
// through these links, so it runs with a held editor (tests) and with no wizard at all.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "desk/ui/picture.h"

namespace velt::desk {

// The metre and key a saved take hands to the settings editor.
struct RecordedSettings {
    float tempo = 120;
    std::string timeNum = "Auto";  // the beats box text
    int32_t timeDenomIndex = 2;    // power-of-two exponent of the denominator
    int32_t keyIndex = 8;          // the editor's key list row: 8 - key signature
    int32_t minor = 0;             // 0 major, 1 minor
};

class RecorderEditor {
  public:
    virtual ~RecorderEditor() = default;

    // What the window starts from.
    virtual float tempo() = 0;
    virtual std::string timeNumText() = 0;
    virtual int32_t timeDenomIndex() = 0;
    virtual int32_t keyIndex() = 0;
    virtual int32_t minorFlag() = 0;
    // The input threshold slider's value, -32767..-1 (the threshold negated).
    virtual int32_t inputThresholdValue() = 0;
    virtual void setInputThresholdValue(int32_t value) = 0;

    // The audio and MIDI file the editor works on, and how many audio files it lists.
    virtual std::string selectedAudioFile() = 0;
    virtual int32_t audioFileCount() = 0;
    virtual std::string selectedMidiFile() = 0;
    virtual bool autoName() = 0;
    virtual void setSelectedFiles(const std::string& audio, const std::string& midi) = 0;

    // A new take was recorded: the last handed-over take is forgotten and the take inspected.
    virtual void clearRecordedAudioFile() = 0;
    virtual void getWaveInfo(const std::string& path) = 0;
    virtual void addToFileList() = 0;

    // Save hands over tempo, metre and key; Keep only tempo and beats.
    virtual void takeOver(const RecordedSettings& settings) = 0;
    virtual void keep(float tempo, const std::string& timeNum) = 0;
    virtual void setTempoDetect(bool ticked) = 0;
};

// The link to the program's settings dialog.
std::shared_ptr<RecorderEditor> SettingsEditorLink();

// The wizard's recording step as the window mirrors into it. This link has no wizard behind it
// and does nothing; the wizard installs its own on the window it drives.
class RecorderWizardMirror {
  public:
    virtual ~RecorderWizardMirror() = default;
    virtual void counter(const std::string& caption, long colour) { (void)caption, (void)colour; }
    virtual void saveEnabled(bool enabled) { (void)enabled; }
    virtual void light(const ui::Picture& picture) { (void)picture; }
    virtual void levelBar(long colour, double top, double height) {
        (void)colour, (void)top, (void)height;
    }
    virtual void thresholdMark(double y1, double y2, bool line50Visible) {
        (void)y1, (void)y2, (void)line50Visible;
    }
    // The wizard's Stop, which ends a playback that has reached the end of the take.
    virtual void stopPlayback() {}
};

}  // namespace velt::desk

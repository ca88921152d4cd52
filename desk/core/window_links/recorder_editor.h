// What the recording window (desk/media) asks of the settings dialog (desk/settings): the
// project's tempo, metre, key and input threshold to start from, the audio and MIDI file the
// dialog works on, and the take-over of a saved take. The settings folder registers its link in
// the shared module's window hooks at start (Windows().recorderEditor); a recorder made with a
// link of its own (tests hold one) runs without the dialog.
#pragma once

#include <cstdint>
#include <string>

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

}  // namespace velt::desk

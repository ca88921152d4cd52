// The recording window's link to the settings dialog (frmProperties): the dialog's working
// tempo, its metre, key and threshold controls, its audio and MIDI file and its file list.
#include <cmath>

#include "desk/media/recorder_links.h"
#include "desk/settings/frm_properties.h"

namespace velt::desk {

namespace {

class PropertiesLink : public RecorderEditor {
  public:
    float tempo() override { return dialog().WorkTempo; }
    std::string timeNumText() override { return dialog().txtTimeNum.Text(); }
    int32_t timeDenomIndex() override { return dialog().cboTimeDenom.ListIndex(); }
    int32_t keyIndex() override { return dialog().cboKey.ListIndex(); }
    int32_t minorFlag() override { return dialog().optMajorMinor(0).Value() ? 0 : 1; }
    int32_t inputThresholdValue() override { return dialog().sldInputThreshold.Value(); }
    void setInputThresholdValue(int32_t value) override {
        dialog().sldInputThreshold.setValue(value);
    }
    std::string selectedAudioFile() override { return dialog().CurrentAudioFile; }
    int32_t audioFileCount() override { return dialog().cboAudioFile.ListCount(); }
    std::string selectedMidiFile() override { return dialog().CurrentMidiFile; }
    bool autoName() override { return dialog().chkAutoName.Value() == 1; }
    void setSelectedFiles(const std::string& audio, const std::string& midi) override {
        dialog().CurrentAudioFile = audio;
        dialog().CurrentMidiFile = midi;
    }
    // The file last inspected is forgotten, so the new take under an old name is read again.
    void clearRecordedAudioFile() override { dialog().PreviousAudioFile.clear(); }
    void getWaveInfo(const std::string& path) override { dialog().GetWaveInfo(path); }
    void addToFileList() override { dialog().AddToFileList(); }
    void takeOver(const RecordedSettings& s) override {
        frmProperties& d = dialog();
        keep(s.tempo, s.timeNum);
        d.cboTimeDenom.setListIndex(s.timeDenomIndex);
        d.cboKey.setListIndex(s.keyIndex);
        d.optMajorMinor(s.minor).setValue(true);
    }
    void keep(float tempo, const std::string& timeNum) override {
        frmProperties& d = dialog();
        d.txtTempo.setText(std::to_string(std::lround(tempo)));
        d.WorkTempo = tempo;  // after the box, whose check takes its whole number
        d.txtTimeNum.setText(timeNum);
    }
    void setTempoDetect(bool ticked) override { dialog().chkTempoDetect.setValue(ticked ? 1 : 0); }

  private:
    static frmProperties& dialog() { return ui::forms::get<frmProperties>(); }
};

}  // namespace

std::shared_ptr<RecorderEditor> SettingsEditorLink() {
    return std::make_shared<PropertiesLink>();
}

}  // namespace velt::desk

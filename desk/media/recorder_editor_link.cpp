// The recording window's link to the settings dialog of this build, which keeps one audio file
// (CurrentAudioFile, AddToFileList): the take's path goes there; tempo, metre, key and threshold
// are held by the link for as long as the recording window lives.
#include "desk/core/placeholders/frm_properties.h"
#include "desk/media/recorder_links.h"

namespace velt::desk {

namespace {

class PropertiesLink : public HeldEditor {
  public:
    std::string selectedAudioFile() override { return dialog().CurrentAudioFile; }
    int32_t audioFileCount() override { return dialog().CurrentAudioFile.empty() ? 0 : 1; }
    void setSelectedFiles(const std::string& audio, const std::string& midi) override {
        HeldEditor::setSelectedFiles(audio, midi);
        dialog().CurrentAudioFile = audio;
    }
    void addToFileList() override { dialog().AddToFileList(); }

  private:
    static frmProperties& dialog() { return ui::forms::get<frmProperties>(); }
};

}  // namespace

std::shared_ptr<RecorderEditor> SettingsEditorLink() {
    return std::make_shared<PropertiesLink>();
}

}  // namespace velt::desk

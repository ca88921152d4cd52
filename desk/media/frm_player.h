// frmPlayer, the ZeruZirado: plays a project entry's audio file, its MIDI result, or both in
// sync, from working copies in the temporary folder ("~temp.wav", decoded when compressed, and
// "~temp.mid"). mmAudio plays the WAV copy on the waveaudio device and mmMidi the MIDI copy on
// the sequencer; mmControl is only the button bar. The device that keeps time (mmMidi for "MIDI
// only", else mmAudio) counts the seconds played and ends playback. A negative StartPoint in
// sync lets the MIDI lead: the audio starts that much later, timed on the multimedia clock. The
// slider cross-fades the MIDI and wave output volumes of this program (never the system mixer).
#pragma once

#include <cstdint>
#include <string>

#include "desk/ui/ui.h"

namespace velt::desk {

class frmPlayer : public ui::Form {
  public:
    frmPlayer();

    ui::ComboBox cboAudioFile{this, "cboAudioFile"};
    ui::ComboBox cboMidiFile{this, "cboMidiFile"};
    ui::Frame fraSelect{this, "fraSelect"};
    ui::ControlArray<ui::OptionButton> optSelect{this, "optSelect", {0, 1, 2}};
    ui::MediaControl mmAudio{this, "mmAudio"};
    ui::MediaControl mmMidi{this, "mmMidi"};
    ui::MediaControl mmControl{this, "mmControl"};
    ui::Label lblPosition{this, "lblPosition"};
    ui::Slider sldVolume{this, "sldVolume"};
    ui::CommandButton cmdAudioEdit{this, "cmdAudioEdit"};
    ui::CommandButton cmdMidiEdit{this, "cmdMidiEdit"};
    ui::CommandButton cmdVolume{this, "cmdVolume"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::CommandButton cmdClose{this, "cmdClose"};

    enum Choice { BothInSync = 0, AudioOnly = 1, MidiOnly = 2 };

    void cboAudioFile_Click();
    void cboMidiFile_Click();
    void optSelect_Click(int Index);
    void mmControl_PlayClick(int& Cancel);
    void mmControl_PauseClick(int& Cancel);
    void mmControl_StopClick(int& Cancel);
    void mmControl_StatusUpdate();
    void mmAudio_Done(int NotifyCode);
    void mmMidi_Done(int NotifyCode);
    void sldVolume_Change();
    void cmdAudioEdit_Click();
    void cmdMidiEdit_Click();
    void cmdVolume_Click();
    void cmdHelp_Click();
    void cmdClose_Click();

    void CheckFiles();
    void OpenDevices();
    void CloseDevices();
    void PlayMusic();
    void StopMusic();
    void ShowPosition();

    std::string TempMidiPath;
    long StartPosition = 0, EndPosition = 0;  // ms
    long SecondsPlayed = 0;
    uint32_t DelayStartTime = 0;

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    bool selected(Choice c) { return optSelect(c).Value(); }
    // Refuses "Both in sync" for a changed speed or a transposition by other than whole octaves.
    void applySyncRule(bool tell);
    void decode(const std::string& file);
    bool timerPeriodOpen_ = false;
};

}  // namespace velt::desk

// frmCD, the Direct CD Transfer window: lists the CD drives and the tracks of the audio CD in the
// chosen one, plays tracks through its button bar and transfers one track at a time into a WAV
// file, which then becomes the project's audio file through the settings dialog. The CD ripper
// component does the work on the disc; the window drives it, takes its events from the event
// loop and decides everything in its 500 ms status tick. The status bar text is the window's
// state word ("No CD", "Playing...", "Aborted Transfer", "Completed Transfer", ...).
#pragma once

#include <memory>
#include <string>

#include "desk/core/window_links/wizard_pages.h"
#include "desk/ui/ui.h"

namespace velt::platform::cd {
class CdRipper;
}

namespace velt::desk {

class frmCD : public ui::Form {
  public:
    frmCD();
    ~frmCD() override;

    ui::Label lblDrives{this, "lblDrives"};
    ui::ComboBox cboDrives{this, "cboDrives"};
    ui::ListBox lstTracks{this, "lstTracks"};
    ui::Label lblCurrWaveFile{this, "lblCurrWaveFile"};
    ui::TextBox lblFileName{this, "lblFileName"};
    ui::Label lblPosition{this, "lblPosition"};
    ui::ProgressBar pbPlay{this, "pbPlay"};
    ui::ProgressBar ProgressBar{this, "ProgressBar"};
    ui::MediaControl mmCD{this, "mmCD"};
    ui::CommandButton cmdRip{this, "cmdRip"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdMixer{this, "cmdMixer"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::StatusBar StatusBar{this, "StatusBar"};
    ui::CommonDialog cdlFile{this, "cdlFile"};
    ui::Timer tmrStatus{this, "tmrStatus"};
    // Takes the ripper's queued events on the event loop between status ticks.
    ui::Timer tmrEvents{this, "tmrEvents"};

    // Public event procedures: the wizard drives them on the hidden window.
    void cboDrives_Click();
    void cmdRip_Click();
    void cmdMixer_Click();
    void lstTracks_Click();
    void mmCD_EjectClick(int& Cancel);
    void mmCD_NextClick(int& Cancel);
    void mmCD_PlayClick(int& Cancel);
    void mmCD_PrevClick(int& Cancel);
    void mmCD_StopClick(int& Cancel);
    void UpdateWizardTrackList();

    void cmdOK_Click();
    void cmdHelp_Click();
    void tmrStatus_Timer();
    void Ripper_Progress(double percent);
    void Ripper_PositionChanged(long seconds);
    void EnableCDControls(bool enabled);
    // Leaves the transfer state as at the end of a transfer (button bar and list enabled,
    // "&Transfer Track", Close enabled). The CD driver installer ends with it too.
    void LeaveTransferState();
    // Stops a running transfer and removes its output file (the installer, unload).
    void DiscardTransfer();

    platform::cd::CdRipper& Ripper() { return *ripper_; }

    int CurrentDrive = -1;
    int TrackIndex = 1;
    bool DiscPresent = false;
    bool RefreshPending = false;
    bool AbortRequested = false;
    int TransferPercent = 0;
    long StallTicks = 0;
    long WindowsVersion = 0;
    bool TransferRunning = false;
    std::string OutputFile;  // the file of the transfer running or last run

    // Set by the wizard on the window it drives: only that one mirrors into its CD page while
    // WizardRunning is set.
    bool MirrorsWizard = false;

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    WizardCdPage& wizardPage() const { return WizardCdPageFor(MirrorsWizard); }
    void takeRipperEvents();
    void showList(std::initializer_list<const char*> lines);
    void setStatus(const std::string& text);
    void transferEnded();
    void clearPosition();

    std::unique_ptr<platform::cd::CdRipper> ripper_;
    int shownPercent_ = 0;  // the progress this tick showed (for the wizard's page)
};

// "Track" + two digits + two blanks + "mm:ss".
std::string TrackItem(int track, int seconds);
// The length in seconds read back from a track item (minutes at 1-based position 10, seconds at
// 13); 0 when the item is too short or holds no number there.
int TrackItemSeconds(const std::string& item);

}  // namespace velt::desk

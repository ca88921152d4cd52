// frmStatus, the progress window of one file conversion. It starts the engine through the bridge
// on the working project TempProject, polls the engine's status on its timer, shows percent,
// elapsed and estimated times, and closes itself when the run has ended. The outcome goes to the
// main window's status bar ("Finished", "User abort", "Error") and, in a command-line conversion,
// into one line of the batch log.
//
// Stop (or the frame's close button) asks the engine to cancel; an engine that has not reported
// its end kStopWaitMs after the first request is given up (the bridge ends it), with a message,
// so the window can always be closed and a later conversion can start.
//
// The values the engine detects (tempo, start, resolution, metre, tuning; the key range and key
// at closing) reach the project only when the run finished successfully: a run that failed
// early reports the engine's defaults, which must not replace the project's own settings.
#pragma once

#include <cstdint>
#include <string>

#include "desk/ui/ui.h"
#include "kvxvtpd.h"

namespace velt::desk {

class frmStatus : public ui::Form {
  public:
    frmStatus();

    ui::Label lblStatus{this, "lblStatus"};
    ui::ProgressBar ProgressBar{this, "ProgressBar"};
    ui::Label lblElapsedCaption{this, "lblElapsedCaption"};
    ui::Label lblTimeElapsed{this, "lblTimeElapsed"};
    ui::Label lblRemainCaption{this, "lblRemainCaption"};
    ui::Label lblEstTimeRemain{this, "lblEstTimeRemain"};
    ui::Label lblTotalCaption{this, "lblTotalCaption"};
    ui::Label lblEstTotTime{this, "lblEstTotTime"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};
    ui::Timer tmrStatus{this, "tmrStatus"};

    void cmdCancel_Click();
    void tmrStatus_Timer();

    // Form-level values.
    bool FirstTick = false;
    int16_t BeginResult = 0;
    int32_t LowKey = 128;
    int32_t HighKey = -1;
    int32_t KeySig = 8;
    int32_t KeyMode = 0;
    std::string SavedCaption;
    int64_t StartTime = 0;  // runtime clock, ms
    // How the last run ended: true only after the engine's success line.
    bool Succeeded = false;

    // How long a stop request waits for the engine's final line.
    static constexpr int64_t kStopWaitMs = 10000;

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    void runEnded(float status);
    void giveUpRun();
    void runSucceeded();
    void adoptDetectedValues();
    void closeWindow();
    void setMainCaptionFromStatus();

    ConvertStatus last_{};     // the newest sane record of this run
    bool haveRecord_ = false;  // last_ holds one
    bool running_ = false;     // from a successful start until the run's final line
    bool closing_ = false;     // the window closes itself
    int64_t stopAsked_ = -1;   // runtime clock of the first stop request, -1 = none
};

}  // namespace velt::desk

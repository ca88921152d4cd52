// frmLive, the "Real Time Control Panel" of a live conversion. The Recognize command writes the
// working project TempProject for a live run (no audio file) and shows this window modally
// (ShowLiveWindow in desk/core/run/other_windows.h). The window starts the engine through the
// bridge, polls its status every 56 ms, draws the input level as a coloured bar with a threshold
// mark, shows the note, chord or drum being heard, sends patch changes and the set-threshold
// request, and stops the run.
//
// The window closes only once the engine has reported its end: Close, Esc and the frame's close
// button all ask the engine to cancel every 250 ms until its final status arrives. An engine that
// never answers is given up after kCloseWaitMs (the bridge ends it), with a message, so the
// window never hangs and a later conversion can start.
#pragma once

#include <cstdint>
#include <string>

#include "desk/ui/ui.h"
#include "kvxvtpd.h"

namespace velt::desk {

class frmLive : public ui::Form {
  public:
    frmLive();

    ui::Timer tmrStatus{this, "tmrStatus"};
    ui::Timer tmrClose{this, "tmrClose"};
    ui::Frame fraNote{this, "fraNote"};
    ui::Label lblNote{this, "lblNote"};
    ui::Slider sldNote{this, "sldNote"};
    ui::Image imgDrum{this, "imgDrum"};
    ui::Label lblPatch{this, "lblPatch"};
    ui::ComboBox cboPatch{this, "cboPatch"};
    ui::Frame fraLevel{this, "fraLevel"};
    ui::Shape shpBackground{this, "shpBackground"};
    ui::Shape shpForeground{this, "shpForeground"};
    ui::Line line50{this, "line50"};
    ui::Line lineThres{this, "lineThres"};
    ui::CommandButton cmdThres{this, "cmdThres"};
    ui::CommandButton cmdMixer{this, "cmdMixer"};
    ui::CommandButton cmdClose{this, "cmdClose"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::Label lblLive{this, "lblLive"};
    ui::StatusBar StatusBar{this, "StatusBar"};

    void Initialize();
    void Deinitialize();
    // The name of key n, spelled for the project's key signature.
    std::string ValToKey(int32_t n) const;

    void tmrStatus_Timer();
    void tmrClose_Timer();
    void cboPatch_Click();
    void cmdThres_Click();
    void cmdMixer_Click();
    void cmdClose_Click();
    void cmdHelp_Click();

    // Form-level values.
    int16_t StartResult = 0;
    int32_t BarHeight = 0;  // twips: 95 % of the level background's height
    int32_t CurrentLevel = 0;
    int32_t LastLevel = 0;

    // How long the close sequence waits for the engine's final status.
    static constexpr int64_t kCloseWaitMs = 10000;

    // Colours of the level bar and of the note caption.
    static constexpr long kRed = 0x0000FF;
    static constexpr long kYellow = 0x00FFFF;
    static constexpr long kGreen = 0x00FF00;
    static constexpr long kInTune = 0x00C000;  // (0, 192, 0)
    static constexpr long kNearly = 0x00C0C0;  // (192, 192, 0)

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    float levelY(float level) const;
    void placeThreshold(float level);
    void fillPatchList();
    void showStatus(const ConvertStatus& record, int32_t level);
    void runEnded();
    void reportFailure(float status);

    bool running_ = false;       // the engine was started and has not reported its end
    int64_t closeStarted_ = -1;  // runtime clock when the close sequence began, -1 = not closing
};

}  // namespace velt::desk

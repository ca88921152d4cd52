// frmResults ("Conversion Results"), opened after a single-file run that finished or was stopped:
// where the MIDI file is, the meter, tempo, tuning and key the engine detected, and six
// follow-up actions. Four run at once (player, MIDI editor, settings, save as); "Convert again"
// and "Build a score" close the window and leave their index in ResultAction for the Convert
// command.
#pragma once

#include "desk/ui/ui.h"

namespace velt::desk {

class frmResults : public ui::Form {
  public:
    frmResults();

    ui::Frame fraFile{this, "fraFile"};
    ui::TextBox txtFile{this, "txtFile"};
    ui::CommandButton cmdLocate{this, "cmdLocate"};
    ui::CommonDialog cdlFile{this, "cdlFile"};
    ui::Frame fraSettings{this, "fraSettings"};
    ui::Label lblMeter{this, "lblMeter"};
    ui::Label lblMeter1{this, "lblMeter1"};
    ui::Label lblTempo{this, "lblTempo"};
    ui::Label lblTempo1{this, "lblTempo1"};
    ui::Label lblTuning{this, "lblTuning"};
    ui::Label lblTuning1{this, "lblTuning1"};
    ui::Label lblKey{this, "lblKey"};
    ui::Label lblKey1{this, "lblKey1"};
    ui::CommandButton cmdAdjust{this, "cmdAdjust"};
    ui::Frame fraAction{this, "fraAction"};
    ui::ControlArray<ui::OptionButton> optAction{this, "optAction", {0, 1, 2, 3, 4, 5}};
    ui::ControlArray<ui::Image> imgAction{this, "imgAction", {0, 1, 2, 3, 4, 5}};
    ui::CommandButton cmdSetMidiEditor{this, "cmdSetMidiEditor"};
    ui::CommandButton cmdClose{this, "cmdClose"};

    void optAction_Click(int Index);
    void optAction_DblClick(int Index);
    void cmdClose_Click();
    void cmdAdjust_Click();
    void cmdLocate_Click();
    void cmdSetMidiEditor_Click();

  protected:
    void design() override;
    void Form_Load() override;

  private:
    void ShowEstimates();
};

// The texts of the detected settings, as the window shows them.
std::string TuningText(float referencePitch);                // "+20 cents", "0 cents", "-20 cents"
std::string TempoText(float tempo);                          // "120 bpm"
std::string MeterText(int numerator, int denominatorPower);  // "3 / 4"

}  // namespace velt::desk

// frmDrum, the drum kit editor ("Edit Drum Kit"): which General MIDI percussion notes (27..87) the
// percussion part listens for, its polyphony and the kit's name. It edits its own controls; Apply
// commits them to the working ensemble and into the ensemble editor that opened it, OK is Apply
// and close, Cancel closes. Load and Save As read and write drum kit files (.vdk).
#pragma once

#include <string>

#include "desk/ui/ui.h"

namespace velt::desk {

class frmDrum : public ui::Form {
  public:
    frmDrum();

    ui::Frame fraDrums{this, "fraDrums"};
    ui::ControlArray<ui::CheckBox> chkDrum{this, "chkDrum"};  // index = note - 27
    ui::Label lblDrumKit{this, "lblDrumKit"};
    ui::TextBox txtDrumKit{this, "txtDrumKit"};
    ui::CheckBox chkAutoName{this, "chkAutoName"};
    ui::Label lblPitchMode{this, "lblPitchMode"};
    ui::TextBox txtPitchMode{this, "txtPitchMode"};
    ui::UpDown spnPitchMode{this, "spnPitchMode"};
    ui::CommandButton cmdLoad{this, "cmdLoad"};
    ui::CommandButton cmdSaveAs{this, "cmdSaveAs"};
    ui::CommandButton cmdApply{this, "cmdApply"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::CommonDialog cdlFile{this, "cdlFile"};

    bool KitLoading = false;  // boxes and texts are being set by the program

    void chkDrum_Click(int Index);
    void chkAutoName_Click();
    void txtPitchMode_Change();
    void txtPitchMode_GotFocus();
    void txtPitchMode_KeyPress(int& KeyAscii);
    void txtPitchMode_LostFocus();
    void spnPitchMode_UpClick();
    void spnPitchMode_DownClick();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void cmdLoad_Click();
    void cmdSaveAs_Click();

    void SetKitName();
    void SetDrumChecks(const std::string& list);
    // The ticked notes as a drum list; "" (after telling the user) when none is ticked.
    std::string GetDrumList();

  protected:
    void design() override;
    void Form_Load() override;

  private:
    void edited();
    // The polyphony box held to 1..128 (empty or not a number: 1), as the value to commit.
    int committedPoly();
    // Asks for a file name and writes the kit; false when cancelled or the write failed.
    bool saveAs();
};

}  // namespace velt::desk

// frmTapper, the "Tap Extender": after an accepted tapping take it asks whether the taps are to
// be extended to the beginning and to the end of the audio file. OK leaves the two choices in
// ExtendToStart and ExtendToEnd; Cancel (or closing) leaves both false. The pictures show the
// audio as a bar: the tapped middle, and the start and end parts lit while their box is ticked.
#pragma once

#include "desk/ui/ui.h"

namespace velt::desk {

class frmTapper : public ui::Form {
  public:
    frmTapper();

    ui::Label lblHeader{this, "lblHeader"};
    ui::CheckBox chkStart{this, "chkStart"};
    ui::CheckBox chkEnd{this, "chkEnd"};
    ui::PictureBox picStart{this, "picStart"};
    ui::PictureBox picMiddle{this, "picMiddle"};
    ui::PictureBox picEnd{this, "picEnd"};
    ui::Image imgLeftArrow{this, "imgLeftArrow"};
    ui::Image imgRightArrow{this, "imgRightArrow"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};

    bool ExtendToStart = false;
    bool ExtendToEnd = false;

    void chkStart_Click();
    void chkEnd_Click();
    void picStart_Click();
    void picEnd_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

  protected:
    void design() override;
    void Form_Load() override;
};

}  // namespace velt::desk

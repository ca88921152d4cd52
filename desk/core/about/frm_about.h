// The about box, also the splash shown while the main window starts (SplashMode set while it
// loads): the program's title, version and licence statement. Any click, key or OK closes it;
// as the splash it has no OK strip and closes itself when tmrSplash fires.
#pragma once

#include "desk/ui/ui.h"

namespace velt::desk {

class frmAbout : public ui::Form {
  public:
    frmAbout();

    ui::Image imgArt{this, "imgArt"};
    ui::Label lblTitle{this, "lblTitle"};
    ui::Label lblAbout{this, "lblAbout"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::Timer tmrSplash{this, "tmrSplash"};

    void cmdOK_Click();
    void tmrSplash_Timer();

    static constexpr int SplashInterval = 3000;  // ms

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Click() override { close(); }
    void Form_DblClick() override { close(); }
    void Form_KeyPress(int& KeyAscii) override;
    void Form_MouseDown(int, int, double, double) override { close(); }

  private:
    void close();
};

}  // namespace velt::desk

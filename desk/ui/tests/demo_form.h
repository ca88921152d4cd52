// A small form with one or more controls of each kind, for the runtime's own tests and its
// screenshot. Handlers run the hooks a test installs and otherwise do nothing; the runtime's
// event trace records what was raised.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "desk/ui/ui.h"

namespace velt::ui::demo {

class frmDemo : public Form {
  public:
    frmDemo();

    MenuItem mnuFile{this, "mnuFile"};
    MenuItem mnuFileOpen{this, "mnuFileOpen", &mnuFile};
    ControlArray<MenuItem> mnuFileArray{this, "mnuFileArray", {0, 1, 2}, &mnuFile};
    MenuItem mnuFileExit{this, "mnuFileExit", &mnuFile};
    ImageList imgTools{this, "imgTools"};
    Toolbar tbTools{this, "tbTools"};
    Label lblName{this, "lblName"};
    TextBox txtName{this, "txtName"};
    Label lblTempo{this, "lblTempo"};
    TextBox txtTempo{this, "txtTempo"};
    UpDown spnTempo{this, "spnTempo"};
    Label lblStart{this, "lblStart"};
    MaskedBox txtStartPoint{this, "txtStartPoint"};
    CheckBox chkDrums{this, "chkDrums"};
    Frame fraMode{this, "fraMode"};
    ControlArray<OptionButton> optMode{this, "optMode", {0, 1, 2}};
    ComboBox cboKey{this, "cboKey"};
    ComboBox cboAudioFile{this, "cboAudioFile"};
    ListBox lstParts{this, "lstParts"};
    Slider sldRange{this, "sldRange"};
    ScrollBar scrGrid{this, "scrGrid"};
    ProgressBar prgDone{this, "prgDone"};
    PictureBox picCoverage{this, "picCoverage"};
    Shape shpLight{this, "shpLight"};
    Line linNeedle{this, "linNeedle"};
    TabControl tabPages{this, "tabPages"};
    TextBox txtPage0{this, "txtPage0"};
    TextBox txtPage1{this, "txtPage1"};
    CommandButton cmdOK{this, "cmdOK"};
    CommandButton cmdCancel{this, "cmdCancel"};
    CommandButton cmdApply{this, "cmdApply"};
    CommonDialog cdlFile{this, "cdlFile"};
    Timer tmrStatus{this, "tmrStatus"};
    StatusBar sbStatus{this, "sbStatus"};

    // Behaviour a test gives to a handler, by "control_Event" ("txtName_LostFocus").
    void on(const std::string& handler, std::function<void()> action) {
        hooks_[handler] = std::move(action);
    }
    std::function<void(int&)> txtName_KeyPressHook;
    std::function<void(int&)> formKeyPressHook;
    int unloadCancel = 0;
    int formData = 0;  // form-level data: survives Unload, not Release

  protected:
    void design() override;
    void Form_Load() override { hook("Form_Load"); }
    void Form_Unload(int& Cancel) override {
        Cancel = unloadCancel;
        hook("Form_Unload");
    }
    void Form_KeyPress(int& KeyAscii) override {
        if (formKeyPressHook) formKeyPressHook(KeyAscii);
    }
    void Form_Click() override { hook("Form_Click"); }

  private:
    void hook(const std::string& name) {
        auto it = hooks_.find(name);
        if (it != hooks_.end()) {
            auto action = it->second;  // the hook may replace itself
            action();
        }
    }
    std::map<std::string, std::function<void()>> hooks_;
};

// A second form, shown modally from the demo form's tests.
class frmAsk : public Form {
  public:
    frmAsk() : Form("frmAsk") {
        cmdYes.Click = [this] { Hide(); };
        cmdNo.Click = [this] { Unload(); };
    }
    void Unload() { unload(); }
    TextBox txtAnswer{this, "txtAnswer"};
    CommandButton cmdYes{this, "cmdYes"};
    CommandButton cmdNo{this, "cmdNo"};

  protected:
    void design() override {
        setCaption("Question");
        Move(0, 0, 3600, 1500);
        txtAnswer.Move(120, 120, 3360, 315);
        cmdYes.Move(120, 600, 1200, 375);
        cmdYes.setCaption("&Yes");
        cmdNo.Move(1440, 600, 1200, 375);
        cmdNo.setCaption("&No");
    }
};

}  // namespace velt::ui::demo

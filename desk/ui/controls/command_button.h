// Command button over QPushButton: Caption with an "&" mnemonic, Default (Enter) and Cancel
// (Esc) roles, Click on release after a press that took the focus, on Space, on Enter or Esc.
#pragma once

#include "desk/ui/control.h"
#include "desk/ui/picture.h"

namespace velt::ui {

class CommandButton : public Control {
  public:
    CommandButton(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    const std::string& Caption() const { return s_.caption; }
    Status setCaption(const std::string& v);
    bool Default() const { return s_.isDefault; }
    Status setDefault(bool v);
    bool Cancel() const { return s_.isCancel; }
    Status setCancel(bool v);
    int Style() const { return s_.style; }  // 0 standard, 1 graphical
    Status setStyle(int v);
    const Picture& getPicture() const { return s_.picture; }
    Status setPicture(const Picture& p);

    Event<> Click;

    bool takesFocus() const override { return true; }
    // A user click once the focus is here; dropped while this button's Click handler runs.
    void userClick();
    void userAscii(int keyAscii) override;
    void mnemonicAction() override { userClick(); }

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void apply();
    struct State {
        std::string caption;
        bool isDefault = false, isCancel = false;
        int style = 0;
        Picture picture;
    } s_;
};

}  // namespace velt::ui

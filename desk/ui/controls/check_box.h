// Check box over a tristate QCheckBox: Value 0 unchecked, 1 checked, 2 greyed. A different Value
// raises Click (R1 applies); a user click or Space checks an unchecked or greyed box and unchecks
// a checked one.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class CheckBox : public Control {
  public:
    CheckBox(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    const std::string& Caption() const { return s_.caption; }
    Status setCaption(const std::string& v);
    int Value() const { return s_.value; }
    Status setValue(int v);

    Event<> Click;

    bool takesFocus() const override { return true; }
    void userClick();
    void userAscii(int keyAscii) override;
    void mnemonicAction() override { userClick(); }

  protected:
    QWidget* createWidget(QWidget* parent) override;
    // The drawn caption is broken to the new width or font.
    void widgetMoved() override { push(); }
    void fontChanged() override { push(); }
    void resetState() override { s_ = State{}; }

  private:
    void push();
    struct State {
        std::string caption;
        int value = 0;
    } s_;
};

}  // namespace velt::ui

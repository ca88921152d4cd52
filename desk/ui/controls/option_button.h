// Option button over QRadioButton. A group is every option button with the same container (and
// tab page). Value = true selects, clears the others silently and raises Click, also when
// already selected (R1 applies); a user click on the selected option raises nothing.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class OptionButton : public Control {
  public:
    OptionButton(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    const std::string& Caption() const { return s_.caption; }
    Status setCaption(const std::string& v);
    bool Value() const { return s_.value; }
    Status setValue(bool v);

    Event<> Click;
    Event<> DblClick;

    bool takesFocus() const override { return true; }
    bool sameGroup(const OptionButton& other) const;
    void userClick();
    void userDblClick();
    void userAscii(int keyAscii) override;
    void userKey(Key key) override;
    void mnemonicAction() override { userClick(); }
    bool filterEvent(QObject* watched, QEvent* event) override;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    // The drawn caption is broken to the new width or font.
    void widgetMoved() override { push(); }
    void fontChanged() override { push(); }
    void resetState() override { s_ = State{}; }

  private:
    void select();  // this one on, the rest of the group off; no event
    void push();
    struct State {
        std::string caption;
        bool value = false;
    } s_;
};

}  // namespace velt::ui

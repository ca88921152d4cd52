// Up-down spinner: two arrow buttons that take no focus, with auto-repeat while held. A
// buddy-synced spinner reads its buddy's text as a whole number (its own last Value when the
// text isn't one), steps by Increment within [Min, Max], writes the buddy, raises Change and
// then UpClick or DownClick; at a limit nothing happens. An unsynced spinner only raises
// UpClick or DownClick. A repeat step is skipped while the previous step's handler runs (R2).
// Up and PageUp in the buddy box press the up arrow once, Down and PageDown the down arrow.
#pragma once

#include <memory>

#include "desk/ui/control.h"

class QTimer;

namespace velt::ui {

class TextBox;

class UpDown : public Control {
  public:
    UpDown(Form* form, std::string name, int index = -1);
    ~UpDown() override;

    int Min() const { return s_.min; }
    Status setMin(int v);
    int Max() const { return s_.max; }
    Status setMax(int v);
    int Value() const { return s_.value; }
    Status setValue(int v);
    int Increment() const { return s_.increment; }
    Status setIncrement(int v);
    // The box beside the arrows; `sync` makes each press step and write the box.
    Status setBuddy(TextBox& buddy, bool sync);
    // The box beside the arrows of an unsynced spinner (its handlers step the box): Up and Down
    // in the box press the arrows all the same.
    Status setBuddy(Control& buddy);
    const Control* Buddy() const { return s_.buddy; }

    Event<> UpClick;
    Event<> DownClick;
    Event<> Change;

    // One press of an arrow (each repeat step of a held arrow is one more press).
    void userPress(bool up);

    // Reads a whole number: blanks, an optional sign, digits, blanks. False otherwise.
    static bool readWholeNumber(const std::string& text, int& value);

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override;

  private:
    struct State {
        int min = 0, max = 10, value = 0, increment = 1;
        Control* buddy = nullptr;
        TextBox* synced = nullptr;  // the buddy whose text each press reads and writes
    } s_;
};

}  // namespace velt::ui

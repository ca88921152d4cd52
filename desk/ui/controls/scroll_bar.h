// Scroll bar over QScrollBar: Value clamped to [Min, Max]; Change whenever Value changes, by code
// or by the user; Scroll for each value during a thumb drag.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class ScrollBar : public Control {
  public:
    ScrollBar(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    int Min() const { return s_.min; }
    Status setMin(int v);
    int Max() const { return s_.max; }
    Status setMax(int v);
    int Value() const { return s_.value; }
    Status setValue(int v);
    int SmallChange() const { return s_.smallChange; }
    Status setSmallChange(int v);
    int LargeChange() const { return s_.largeChange; }
    Status setLargeChange(int v);
    int Orientation() const { return s_.orientation; }  // 0 horizontal, 1 vertical
    Status setOrientation(int v);

    Event<> Change;
    Event<> Scroll;

    bool takesFocus() const override { return true; }
    void userKey(Key key) override;
    // A thumb drag through `values`: Scroll for each, Change at the end when it moved.
    void userDrag(const std::vector<int>& values);

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void push();
    void change(int v, Raise kind);
    struct State {
        int min = 0, max = 32767, value = 0, smallChange = 1, largeChange = 1, orientation = 1;
    } s_;
    int dragStart_ = 0;
};

}  // namespace velt::ui

// Slider over a QSlider that draws the selection [SelStart, SelStart + SelLength] on its track.
// Every assignment is clamped, never refused, and raises nothing. A user drag raises MouseDown
// before the thumb moves, Scroll for each value, MouseUp at the release and then Change when the
// value differs from the one at the press; keys raise Scroll then Change.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class Slider : public Control {
  public:
    Slider(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    int Min() const { return s_.min; }
    Status setMin(int v);
    int Max() const { return s_.max; }
    Status setMax(int v);
    int Value() const { return s_.value; }
    Status setValue(int v);
    int SelStart() const { return s_.selStart; }
    Status setSelStart(int v);
    int SelLength() const { return s_.selLength; }
    Status setSelLength(int v);
    int SmallChange() const { return s_.smallChange; }
    Status setSmallChange(int v);
    int LargeChange() const { return s_.largeChange; }
    Status setLargeChange(int v);
    int Orientation() const { return s_.orientation; }  // 0 horizontal, 1 vertical
    Status setOrientation(int v);

    Event<> Scroll;
    Event<> Change;
    Event<int, int, double, double> MouseDown;  // Button, Shift, X, Y
    Event<int, int, double, double> MouseUp;

    bool takesFocus() const override { return true; }
    // A drag with `button` from the thumb through `values` (each raising Scroll), released at
    // the last one. False when the focus move dropped it.
    bool userDrag(int button, const std::vector<int>& values);
    void userKey(Key key) override;
    bool filterEvent(QObject* watched, QEvent* event) override;

    // Pixel-free thumb position in twips along the track, for MouseDown coordinates.
    double thumbOffset() const;
    // Where the middle of the thumb is drawn at `value`: twips from the slider's left (top when
    // vertical) edge, so a label can be placed under the value it names.
    double valueCentre(int value) const;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void clampAll();
    void push();
    void userStep(int to);

    struct State {
        int min = 0, max = 10, value = 0, selStart = 0, selLength = 0;
        int smallChange = 1, largeChange = 5, orientation = 0;
    } s_;
    int pressValue_ = 0;
    bool dragging_ = false;
};

}  // namespace velt::ui

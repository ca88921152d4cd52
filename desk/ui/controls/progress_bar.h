// Progress bar over QProgressBar: Min 0, Max 100, Value clamped to [Min, Max]. No events.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class ProgressBar : public Control {
  public:
    ProgressBar(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    double Min() const { return s_.min; }
    Status setMin(double v);
    double Max() const { return s_.max; }
    Status setMax(double v);
    double Value() const { return s_.value; }
    Status setValue(double v);

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void push();
    struct State {
        double min = 0, max = 100, value = 0;
    } s_;
};

}  // namespace velt::ui

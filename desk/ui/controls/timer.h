// Timer: Interval in ms (0..65535; 0 never fires) and Enabled. It runs while enabled with an
// Interval on a loaded form, shown or hidden, and counts from its start; enabling it or assigning
// Interval restarts the count. A tick is due Interval ms after the last start or tick; missed
// ticks are not delivered in a burst, and a tick never nests in the same timer's handler (R2).
#pragma once

#include <cstdint>
#include <memory>

#include "desk/ui/control.h"

class QTimer;

namespace velt::ui {

class Timer : public Control {
  public:
    Timer(Form* form, std::string name, int index = -1);
    ~Timer() override;

    int Interval() const { return s_.interval; }
    Status setInterval(int v);
    // Enabled starts and stops the timer; enabling a running timer changes nothing.
    Status setEnabled(bool v) override;

    Event<> Tick;  // the classic Timer event: handlers are named tmrX_Timer

    // ---- runtime
    void formLoaded();
    void formUnloaded();
    void tick();
    int64_t dueAt() const { return due_; }
    bool active() const { return active_; }

  protected:
    QWidget* createWidget(QWidget*) override { return nullptr; }
    void resetState() override;

  private:
    void restart();
    void stop();

    struct State {
        int interval = 0;
    } s_;
    bool active_ = false;
    int64_t due_ = 0;
    std::unique_ptr<QTimer> qtimer_;
};

}  // namespace velt::ui

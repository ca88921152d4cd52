#include "desk/ui/controls/timer.h"

#include <QTimer>

#include "desk/ui/form.h"
#include "desk/ui/runtime.h"
#include "desk/ui/scheduler.h"

namespace velt::ui {

Timer::Timer(Form* form, std::string name, int index) : Control(form, std::move(name), index) {
    if (form_ != nullptr) form_->registerTimer(this);
}

Timer::~Timer() {
    stop();
    if (form_ != nullptr) form_->unregisterTimer(this);
}

void Timer::resetState() {
    stop();
    s_ = State{};
}

Status Timer::setInterval(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 65535) return refused("Interval out of range");
    s_.interval = v;
    restart();
    return Status::Ok;
}

Status Timer::setEnabled(bool v) {
    if (inert()) return Status::Refused;
    if (v == Enabled()) return Status::Ok;
    Control::setEnabled(v);
    restart();
    return Status::Ok;
}

void Timer::formLoaded() {
    restart();
}

void Timer::formUnloaded() {
    stop();
}

void Timer::stop() {
    active_ = false;
    if (qtimer_) qtimer_->stop();
    Scheduler::instance().remove(this);
}

void Timer::restart() {
    stop();
    if (inert() || form_->designing() || !Enabled() || s_.interval == 0) return;
    active_ = true;
    if (runtime().testClock()) {
        due_ = runtime().clock().nowMs() + s_.interval;
        Scheduler::instance().add(this);
        return;
    }
    if (!qtimer_) {
        qtimer_ = std::make_unique<QTimer>();
        QObject::connect(qtimer_.get(), &QTimer::timeout, qtimer_.get(), [this] { tick(); });
    }
    qtimer_->setTimerType(s_.interval < 20 ? Qt::PreciseTimer : Qt::CoarseTimer);
    qtimer_->start(s_.interval);
}

void Timer::tick() {
    if (!active_) return;
    if (runtime().testClock()) due_ = runtime().clock().nowMs() + s_.interval;
    raise("Timer", Tick, Raise::User);
}

}  // namespace velt::ui

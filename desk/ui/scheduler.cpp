#include "desk/ui/scheduler.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "desk/ui/controls/timer.h"
#include "desk/ui/runtime.h"
#include "platform/clock/mm_time.h"
#include "platform/clock/timing.h"
#include "platform/mci/device.h"

namespace velt::ui {

Scheduler& Scheduler::instance() {
    static Scheduler scheduler;
    return scheduler;
}

void Scheduler::add(Timer* t) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) timers_.push_back(t);
}

void Scheduler::remove(Timer* t) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

int Scheduler::postAt(int64_t timeMs, std::function<void()> callback) {
    int id = nextId_++;
    if (runtime().testClock()) {
        posted_.push_back({id, timeMs, std::move(callback)});
    } else {
        int64_t delay = std::max<int64_t>(0, timeMs - runtime().clock().nowMs());
        auto* single = new QTimer();  // deletes itself after firing
        single->setSingleShot(true);
        single->setTimerType(Qt::PreciseTimer);
        QObject::connect(single, &QTimer::timeout, single,
                         [this, id, single, cb = std::move(callback)] {
                             auto it = std::find_if(posted_.begin(), posted_.end(),
                                                    [id](auto& p) { return p.id == id; });
                             if (it != posted_.end()) {
                                 posted_.erase(it);
                                 cb();
                             }
                             single->deleteLater();
                         });
        posted_.push_back({id, timeMs, nullptr});
        single->start(static_cast<int>(std::min<int64_t>(delay, std::numeric_limits<int>::max())));
    }
    return id;
}

void Scheduler::cancel(int id) {
    posted_.erase(
        std::remove_if(posted_.begin(), posted_.end(), [id](auto& p) { return p.id == id; }),
        posted_.end());
}

void Scheduler::advance(int64_t ms) {
    platform::ManualClock* clock = runtime().manualClock();
    if (clock == nullptr) {
        WaitFor(ms);
        return;
    }
    const int64_t target = clock->nowMs() + std::max<int64_t>(ms, 0);
    while (true) {
        // The earliest due timer or callback; timers first on a tie, then in order of start.
        Timer* nextTimer = nullptr;
        int64_t due = std::numeric_limits<int64_t>::max();
        for (Timer* t : timers_) {
            if (t->dueAt() < due) {
                due = t->dueAt();
                nextTimer = t;
            }
        }
        auto nextPosted = posted_.end();
        for (auto it = posted_.begin(); it != posted_.end(); ++it) {
            if (it->due < due) {
                due = it->due;
                nextPosted = it;
                nextTimer = nullptr;
            }
        }
        if (due > target) break;
        if (due > clock->nowMs()) clock->set(due);
        if (nextTimer != nullptr) {
            nextTimer->tick();
        } else if (nextPosted != posted_.end()) {
            auto callback = std::move(nextPosted->callback);
            posted_.erase(nextPosted);
            if (callback) callback();
        } else {
            break;
        }
    }
    if (clock->nowMs() < target) clock->set(target);
    QCoreApplication::processEvents();
}

void Scheduler::reset() {
    timers_.clear();
    posted_.clear();
}

namespace {

// The runtime's clock as it is now: the real one, or a test script's.
class RuntimeClock : public platform::Clock {
  public:
    int64_t nowMs() const override { return runtime().clock().nowMs(); }
};

// Device callbacks as posted callbacks of the scheduler: under the test clock they run in clock
// order while a test advances it, under the real clock from the event loop.
class LoopTiming : public platform::Timing {
  public:
    const platform::Clock& clock() const override { return clock_; }
    int at(int64_t ms, std::function<void()> callback) override {
        return Scheduler::instance().postAt(ms, std::move(callback));
    }
    void cancel(int id) override { Scheduler::instance().cancel(id); }

  private:
    RuntimeClock clock_;
};

}  // namespace

void connectMultimediaToRuntime() {
    static LoopTiming timing;
    static RuntimeClock clock;
    platform::mci::useTiming(&timing);
    platform::useTimeClock(&clock);
}

void DoEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (runtime().testClock()) Scheduler::instance().advance(0);
}

void WaitFor(int64_t ms) {
    if (runtime().testClock()) {
        Scheduler::instance().advance(ms);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(
        static_cast<int>(std::clamp<int64_t>(ms, 0, std::numeric_limits<int>::max())), &loop,
        &QEventLoop::quit);
    loop.exec();
}

}  // namespace velt::ui

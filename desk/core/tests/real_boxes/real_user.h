// A user at the real windows: no test script answers anything, so every message box is the
// runtime's real box in its own exec() loop, every file dialog is Qt's, every modal form runs its
// real event loop and unloaded windows go by the runtime's real deferred deletion. The test
// queues what the user does; each step waits (polled from a timer, inside whatever nested loop
// runs) until its window is there and takes input, then acts with real Qt mouse and key events.
//
// Like a window manager that focuses the window a user clicks, every click activates the
// clicked window; the activation arrives once the click has been handled, as a window system's
// focus message does, even when the click hid the window.
#pragma once

#include <QPointer>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "desk/ui/control.h"
#include "desk/ui/controls/tab_control.h"
#include "desk/ui/form.h"
#include "desk/ui/forms.h"

class QDialog;
class QWidget;

namespace velt::desk::test_real {

class RealUser {
  public:
    RealUser();
    ~RealUser();
    RealUser(const RealUser&) = delete;
    RealUser& operator=(const RealUser&) = delete;

    // A form of type F that is shown and takes input (no box or dialog above it).
    template <class F>
    static F* reachable() {
        F* f = ui::forms::existing<F>();
        return f != nullptr && f->loaded() && f->Visible() && takesInput(f->window()) ? f : nullptr;
    }

    // Clicks the control that `pick` names on the form F (a button, a check box, an option
    // button) once F takes input and the control is shown and enabled.
    template <class F>
    void click(const std::string& what, std::function<ui::Control&(F&)> pick) {
        then(what, [pick]() -> QWidget* {
            F* f = reachable<F>();
            return f != nullptr ? pick(*f).widget() : nullptr;
        });
    }
    template <class F>
    void selectTab(const std::string& what, std::function<ui::TabControl&(F&)> pick, int tab) {
        step(
            what,
            [pick] {
                F* f = reachable<F>();
                return f != nullptr && pick(*f).widget() != nullptr;
            },
            [pick, tab] { clickTab(pick(*reachable<F>()).widget(), tab); });
    }
    // The frame's close button of F's window.
    template <class F>
    void closeWindow(const std::string& what) {
        step(
            what, [] { return reachable<F>() != nullptr; },
            [] { closeFrame(reachable<F>()->window()); });
    }
    // Answers the open message box whose text starts with `textStart` with the button whose
    // caption (without its "&") is `button`.
    void answerBox(const std::string& textStart, const std::string& button);
    // Types `path` into the open file dialog's name field and presses Enter.
    void chooseFile(const std::string& title, const std::string& path);

    // A step of the test's own: `act` runs once `ready` holds.
    void step(std::string what, std::function<bool()> ready, std::function<void()> act);
    // Clicks the widget `target` returns once it is visible and enabled.
    void then(std::string what, std::function<QWidget*()> target);

    // True when every step has run.
    bool done() const { return steps_.empty() && running_ == 0; }
    // What went wrong: steps that never became possible, boxes nobody expected.
    const std::vector<std::string>& failures() const { return failures_; }
    // The texts of the boxes answered, in order.
    const std::vector<std::string>& answered() const { return answered_; }

    // The box on top, if a message box of the runtime is the window that takes input.
    static QDialog* openBox();
    static std::string boxText(QDialog* box);

  private:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    static bool takesInput(QWidget* window);
    static void clickTab(QWidget* tabControl, int tab);
    static void closeFrame(QWidget* window);
    // A left click on the widget, then the window manager's late activation of its window.
    static void clickAsUser(QWidget* widget);
    void poll();
    void giveUp(const std::string& why);
    void rescue();

    QTimer timer_;
    std::deque<Step> steps_;
    int running_ = 0;      // actions started and not yet returned (a modal one runs nested)
    bool posted_ = false;  // an action is posted and has not started yet
    std::chrono::steady_clock::time_point waitingSince_;
    bool rescuing_ = false;
    std::vector<std::string> failures_;
    std::vector<std::string> answered_;
};

}  // namespace velt::desk::test_real

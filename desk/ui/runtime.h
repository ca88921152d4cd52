// The forms runtime's process-wide state: the clock, batch mode, the help service, the refusal
// log and the hooks through which a test script watches events and answers dialogs. The program
// has one thread, so this is only touched from the Qt event loop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desk/ui/types.h"
#include "platform/clock/clock.h"

namespace velt::platform {
class Help;
}

namespace velt::ui {

class Form;
class CommonDialog;

// One raised event, for traces.
struct EventRecord {
    std::string form;
    std::string control;  // "" for the form itself
    int index = -1;       // control array index, -1 when none
    std::string event;
    std::string args;  // the arguments, comma-separated
};

struct BoxRequest {
    std::string text;
    int style = 0;
    std::string title;  // as the caller gave it ("" means the application title)
    long helpTopic = 0;
};

// Answers dialogs and modal shows instead of a user. A test script installs one.
class DialogDriver {
  public:
    virtual ~DialogDriver() = default;
    // `batch` tells that batch mode already chose the answer (`batchAnswer`); the driver records.
    virtual int messageBox(const BoxRequest& box, bool batch, int batchAnswer) = 0;
    virtual InputResult inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText, bool batch) = 0;
    virtual DialogResult fileDialog(CommonDialog& dialog, bool save, bool batch) = 0;
    // Acts inside a form shown modally; returns when the action is done.
    virtual void modal(Form& form) = 0;
    virtual void handlerFailed(const std::string& where, const std::string& message) = 0;
};

class Runtime {
  public:
    static Runtime& instance();

    // The clock of timers and "time now"; the test clock replaces the real one.
    platform::Clock& clock() { return clock_ ? *clock_ : realClock_; }
    bool testClock() const { return manualClock_ != nullptr; }
    void useTestClock(platform::ManualClock* clock);  // nullptr goes back to the real clock
    platform::ManualClock* manualClock() { return manualClock_; }

    bool batchMode = false;
    std::string appTitle = "Veltrane";
    platform::Help* help = nullptr;  // nullptr: Help buttons and F1 do nothing
    DialogDriver* driver = nullptr;  // nullptr: real dialogs
    std::function<void(const EventRecord&)> eventObserver;
    uint64_t formsShown = 0;  // counts Show calls that made a form visible (the latest on top)

    void refuse(const std::string& what);  // a refused assignment or call
    const std::vector<std::string>& refusals() const { return refusals_; }
    void clearRefusals() { refusals_.clear(); }

    void reportHandlerFailure(const std::string& where, const std::string& message);

  private:
    Runtime() = default;
    platform::SteadyClock realClock_;
    platform::Clock* clock_ = nullptr;
    platform::ManualClock* manualClock_ = nullptr;
    std::vector<std::string> refusals_;
};

inline Runtime& runtime() {
    return Runtime::instance();
}

// Opens a help topic through the runtime's help service (0 means none). False without a window.
bool showHelpTopic(long topic);

// Before the application object exists: a batch run on a machine without a display switches
// Qt to its offscreen platform.
void prepareDisplay(bool batchMode);

}  // namespace velt::ui

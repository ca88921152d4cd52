// Media control: a device of the multimedia layer (platform/mci) driven by Command, with
// positions in milliseconds, drawn as a bar of transport buttons.
//
// - DeviceType "WaveAudio" or "Sequencer" ("CDAudio" only as a button bar: it opens no device),
//   FileName, TimeFormat (0 = milliseconds, the only one), From and To (for the next command
//   only, clamped to 0..Length), Position, Length, Mode (524 not open, 525 stopped, 526 playing,
//   529 paused), Notify, Wait (kept; every command is asynchronous), UpdateInterval, Error and
//   ErrorMessage (our own texts).
// - Command "Open", "Play", "Pause" (pause, and resume when paused), "Stop", "Close" runs at once;
//   afterwards Error is 0 or the device's error number. An unknown command sets Error. Nothing
//   throws.
// - Done(1) is raised once when playback reaches its end by itself and Notify is true then;
//   Stop, Close, a new Open and a new Play cancel a pending one, and nothing else raises it.
// - StatusUpdate is raised every UpdateInterval ms (0 = off) on the runtime clock while the form
//   is loaded, also when no device was ever opened.
// - Buttons Prev, Next, Play, Pause, Back, Step, Stop, Record, Eject, each with XxxEnabled and
//   XxxVisible (the control never changes them itself). A click on an enabled, visible button
//   raises XxxClick(Cancel); unless the handler sets Cancel, the control then runs the command of
//   the button's name.
// - The bar is one Tab stop: Left and Right move the focus mark round its enabled, visible
//   buttons, Space and Enter press the marked one (as a click would).
// Device notices arrive through the event loop (the runtime's scheduler), so under the test clock
// they come in clock order as a test advances it.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "desk/ui/control.h"

namespace velt::platform::mci {
class Device;
}

class QToolButton;

namespace velt::ui {

class MediaControl : public Control {
  public:
    enum Button { Prev, Next, Play, Pause, Back, Step, Stop, Record, Eject };
    static constexpr int kButtons = 9;

    MediaControl(Form* form, std::string name, int index = -1);
    ~MediaControl() override;

    const std::string& DeviceType() const { return s_.deviceType; }
    Status setDeviceType(const std::string& v);
    const std::string& FileName() const { return s_.fileName; }
    Status setFileName(const std::string& v);
    int TimeFormat() const { return 0; }
    Status setTimeFormat(int v);
    long From() const { return s_.from.value_or(0); }
    Status setFrom(long v);
    long To() const { return s_.to.value_or(0); }
    Status setTo(long v);
    long Position() const;
    long Length() const;
    int Mode() const;
    bool Notify() const { return s_.notify; }
    Status setNotify(bool v);
    bool Wait() const { return s_.wait; }
    Status setWait(bool v);
    int UpdateInterval() const { return s_.updateInterval; }
    Status setUpdateInterval(int v);
    long Error() const { return s_.error; }
    const std::string& ErrorMessage() const { return s_.errorMessage; }
    const std::string& Command() const { return s_.command; }
    Status setCommand(const std::string& v);

    bool ButtonEnabled(Button b) const { return s_.buttons[b].enabled; }
    Status setButtonEnabled(Button b, bool v);
    bool ButtonVisible(Button b) const { return s_.buttons[b].visible; }
    Status setButtonVisible(Button b, bool v);

#define VELT_MEDIA_BUTTON(X)           \
    bool X##Enabled() const {          \
        return ButtonEnabled(X);       \
    }                                  \
    Status set##X##Enabled(bool v) {   \
        return setButtonEnabled(X, v); \
    }                                  \
    bool X##Visible() const {          \
        return ButtonVisible(X);       \
    }                                  \
    Status set##X##Visible(bool v) {   \
        return setButtonVisible(X, v); \
    }                                  \
    Event<int&> X##Click;
    VELT_MEDIA_BUTTON(Prev)
    VELT_MEDIA_BUTTON(Next)
    VELT_MEDIA_BUTTON(Play)
    VELT_MEDIA_BUTTON(Pause)
    VELT_MEDIA_BUTTON(Back)
    VELT_MEDIA_BUTTON(Step)
    VELT_MEDIA_BUTTON(Stop)
    VELT_MEDIA_BUTTON(Record)
    VELT_MEDIA_BUTTON(Eject)
#undef VELT_MEDIA_BUTTON

    Event<int> Done;  // NotifyCode
    Event<> StatusUpdate;

    // A user click on a button; false when it was not delivered (disabled, hidden, form not
    // reachable).
    bool userClick(Button b);
    // The button Space and Enter press while the bar has the focus.
    Button FocusedButton() const {
        return focused_;
    }
    // Presses that button as the user's key does; false when it was not delivered.
    bool pressFocused();

    bool takesFocus() const override {
        return true;
    }
    void userKey(Key key) override;
    void userAscii(int keyAscii) override;
    void activeChanged(bool active) override;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override;

  private:
    void runCommand(const std::string& command);
    void finish(int32_t error);
    void closeDevice();
    void armStatusUpdate();
    void statusTick();
    void applyButtons();
    void deviceEnded();
    bool usable(int b) const;  // enabled and visible
    void keepFocusedUsable();
    void showMark();

    struct ButtonState {
        bool enabled = true, visible = true;
    };
    struct State {
        std::string deviceType, fileName, command;
        std::optional<long> from, to;
        bool notify = true, wait = false;
        int updateInterval = 0;
        long error = 0;
        std::string errorMessage;
        std::array<ButtonState, kButtons> buttons{};
    } s_;
    std::unique_ptr<platform::mci::Device> device_;
    int statusPost_ = 0;  // the pending StatusUpdate of the scheduler, 0 for none
    std::array<QToolButton*, kButtons> tools_{};
    Button focused_ = Play;
    bool active_ = false;  // the form's active control: the mark shows
};

}  // namespace velt::ui

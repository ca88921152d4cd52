// A form: one window whose controls are public members of the derived class. design() sets the
// layout and the initial values (raising nothing), Form_Load runs after it. The form's state
// machine (not loaded, loaded hidden, shown modeless, shown modal) follows the classic rules:
// a modal Show waits in a nested event loop until the form is hidden or unloaded; Unload asks
// Form_Unload, whose Cancel keeps the form.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "desk/ui/control.h"
#include "desk/ui/types.h"

class QEventLoop;
class QMenuBar;

namespace velt::ui {

class CommandButton;
class TabControl;
class Timer;
class UpDown;
class MenuItem;

class Form {
  public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }

    const std::string& Caption() const { return s_.caption; }
    Status setCaption(const std::string& v);
    double Left() const { return s_.left; }
    double Top() const { return s_.top; }
    double Width() const { return s_.width; }  // client area, twips
    double Height() const { return s_.height; }
    Status setLeft(double v) { return Move(v, s_.top, s_.width, s_.height); }
    Status setTop(double v) { return Move(s_.left, v, s_.width, s_.height); }
    Status setWidth(double v) { return Move(s_.left, s_.top, v, s_.height); }
    Status setHeight(double v) { return Move(s_.left, s_.top, s_.width, v); }
    Status Move(double left, double top, double width, double height);
    int WindowState() const { return s_.windowState; }
    Status setWindowState(int v);  // 0 normal, 1 minimized, 2 maximized
    bool Visible() const { return shown_; }
    Status setVisible(bool v) { return v ? Show() : Hide(); }
    bool Enabled() const { return s_.enabled; }
    Status setEnabled(bool v);
    bool KeyPreview() const { return s_.keyPreview; }
    void setKeyPreview(bool v) { s_.keyPreview = v; }
    long HelpContextID() const { return s_.helpContextId; }
    void setHelpContextID(long v) { s_.helpContextId = v; }
    long BackColor() const { return s_.backColor; }
    Status setBackColor(long v);
    // Where the window appears when first shown after a load: 0 where Left/Top say, 1 centred
    // on its owner (the default), 2 centred on the screen. A position set by code after the
    // design (in Form_Load, say) wins over both.
    int StartUpPosition() const { return s_.startUpPosition; }
    Status setStartUpPosition(int v);

    // Shows the form (loading it first). A modal show returns when the form is hidden or
    // unloaded. The window is transient for its owner (kept above it by the window manager,
    // without being above every other program): `owner`, else the active form, else the
    // form shown last.
    Status Show(ShowMode mode = Modeless, Form* owner = nullptr);
    Status Hide();
    void Refresh();
    Control* ActiveControl() const { return active_; }

    bool loaded() const { return loaded_; }
    bool designing() const { return designing_; }
    bool modal() const { return modalLoop_ != nullptr || modalScripted_; }
    uint64_t shownOrder() const { return shownOrder_; }  // larger: shown more recently

    // ---- lifecycle, used by the form registry
    void load();
    // Builds the window and runs design() only, raising no Load: the form as designed, hidden,
    // for looking at its layout and captions. Destroy the form afterwards (no Unload is raised).
    void loadDesign();
    // Runs Form_Unload (its Cancel is ignored when `force`); false when cancelled.
    bool unload(bool force = false);

    // ---- used by controls and the test script
    QWidget* window() const { return window_.get(); }
    // True for the window of a form, also one whose form has unloaded it (waiting for deletion).
    static bool isFormWindow(const QWidget* w);
    QWidget* clientArea() const { return client_; }
    QMenuBar* menuBar();
    void registerControl(Control* c);
    void unregisterControl(Control* c);
    void registerTimer(Timer* t);
    void unregisterTimer(Timer* t);
    const std::vector<Control*>& controls() const { return controls_; }
    // Two controls drawn over each other on purpose (a picture under its labels); a layout check
    // lets such pairs overlap.
    void declareLayered(const Control& a, const Control& b);
    bool layered(const Control& a, const Control& b) const;

    // Focus (focus.cpp): a user move to `target`, then `action` unless the move was dropped.
    bool userMove(Control& target, FocusReason reason, const std::function<void()>& action);
    Status codeFocus(Control& target);
    void focusLost(Control& control);  // it was hidden or disabled while active
    Control* nextTabStop(Control* from, bool backwards) const;
    // Every control in tab order: by TabIndex when the form sets any (ties in the order the
    // controls were declared), otherwise the layout's reading order: lines from top to bottom,
    // each from left to right, a container's contents at the container's place.
    std::vector<Control*> tabOrder() const;
    // Some part of the control lies inside its containers and the window's client area. Tab
    // passes over a control beyond the edge (the recorder's folded metronome panel).
    bool onClientArea(const Control& c) const;
    // Keys for the form's active control: Default/Cancel buttons, Tab, KeyPreview, F1.
    void dispatchKey(Key key);
    void dispatchAscii(int keyAscii);
    int previewKeyPress(int keyAscii);  // Form_KeyPress when KeyPreview is on
    // Alt+letter: the control whose caption marks the letter with "&" (a label passes it on to
    // the next stop after it). False when no control has that mnemonic.
    bool dispatchMnemonic(char letter);
    bool userReachable() const;  // shown and enabled
    // The window's frame close button (or Alt+F4).
    void userClose();
    void userFormClick(bool doubleClick, int button, double x, double y);

    // Events raised on the form itself (the trace lists them with an empty control name).
    void raiseFormEvent(const char* event, const std::function<void()>& call,
                        const std::string& args = "");
    void enterHandler() { ++handlerDepth_; }
    void leaveHandler();

  protected:
    virtual void design() {}
    virtual void Form_Load() {}
    virtual void Form_Unload(int& Cancel) { (void)Cancel; }
    virtual void Form_KeyPress(int& KeyAscii) { (void)KeyAscii; }
    virtual void Form_Click() {}
    virtual void Form_DblClick() {}
    virtual void Form_MouseDown(int Button, int Shift, double X, double Y) {
        (void)Button, (void)Shift, (void)X, (void)Y;
    }

  private:
    friend class FormWindow;
    void teardownWidgets();
    void applyGeometry();
    void windowResized(int widthPx, int heightPx);
    void windowStateChanged(int state);
    void layoutBars();
    CommandButton* defaultButton(bool cancel) const;
    void setActive(Control* c);
    TabControl* switchableTabs() const;  // the tab control Ctrl+Tab and Ctrl+PageDown switch
    UpDown* spinnerOf(const Control* box) const;  // the up-down whose buddy the box is
    void chooseInitialFocus();
    void quitModalLoop();
    Form* defaultOwner() const;
    void placeOnFirstShow(Form* owner);
    void attachTo(Form* owner);

    struct State {
        std::string caption;
        double left = 0, top = 0, width = 4800, height = 3600;
        int windowState = 0;
        bool enabled = true;
        bool keyPreview = false;
        long helpContextId = 0;
        long backColor = SysColor::ButtonFace;
        int startUpPosition = 1;
    };

    std::string name_;
    State s_;
    bool loaded_ = false;
    bool shown_ = false;
    bool designing_ = false;
    bool pendingTeardown_ = false;
    bool placed_ = false;      // the start-up position was applied (or set by code)
    uint64_t shownOrder_ = 0;  // when the form was last shown, to find the default owner
    bool modalScripted_ = false;
    int handlerDepth_ = 0;
    bool applyingGeometry_ = false;
    std::unique_ptr<QWidget> window_;
    QWidget* client_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    std::vector<Control*> controls_;
    std::vector<Timer*> timers_;
    std::vector<std::pair<const Control*, const Control*>> layered_;
    Control* active_ = nullptr;
    Control* leaving_ = nullptr;  // the control whose LostFocus is running in a user move
    int focusRequests_ = 0;       // SetFocus calls, to tell a dropped move
};

// The screen's size in twips, for centring.
namespace Screen {
double Width();
double Height();
inline double TwipsPerPixelX() {
    return twipsPerPixel();
}
inline double TwipsPerPixelY() {
    return twipsPerPixel();
}
}  // namespace Screen

}  // namespace velt::ui

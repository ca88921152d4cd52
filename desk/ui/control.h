// The common part of every control: name and index, geometry in twips, visibility, enabled
// state, the classic common properties, containers, focus, and the raising of events with the
// re-entrancy rules (R1: a code assignment raises no Click while that control's Click handler
// runs; R2: a user or timer event is not delivered while the same handler runs) and containment
// of exceptions escaping a handler.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "desk/ui/types.h"

class QEvent;

namespace velt::ui {

class Form;
class Control;

// Keys a user (or a test) can press besides printable characters.
enum class Key {
    Tab,
    ShiftTab,
    Enter,
    Esc,
    Space,
    Backspace,
    Delete,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    F1,
    // The tab-switching keys: next and previous tab of the tab control the focus is in.
    CtrlTab,
    CtrlShiftTab,
    CtrlPageDown,
    CtrlPageUp
};

enum class FocusReason { Code, Tab, Mouse, Mnemonic };

// How an event is raised: by a code assignment, by a code assignment of a selection (R1 applies)
// or by a user or timer (R2 applies).
enum class Raise { Code, CodeClick, User };

namespace detail {
class ControlFilter : public QObject {
  public:
    explicit ControlFilter(Control* control) : control_(control) {}
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The control has left these widgets: their late events and signals go nowhere.
    void detach() { control_ = nullptr; }

  private:
    Control* control_;
};

inline void appendArg(std::ostringstream& out, const std::string& text) {
    out << text;
}
inline void appendArg(std::ostringstream& out, const char* text) {
    out << text;
}
template <class T>
void appendArg(std::ostringstream& out, const T& value) {
    if constexpr (std::is_arithmetic_v<T>) {
        out << value;
    } else if constexpr (requires { value.Key(); }) {
        out << value.Key();
    }
}
template <class... B>
std::string formatArgs(const B&... args) {
    std::ostringstream out;
    bool first = true;
    ((out << (first ? "" : ","), appendArg(out, args), first = false), ...);
    return out.str();
}
}  // namespace detail

class Control {
  public:
    Control(Form* form, std::string name, int index);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    int Index() const { return index_; }
    Form* parentForm() const { return form_; }
    // Inert: an array element that doesn't exist, or a control of a form that isn't loaded.
    bool inert() const;

    double Left() const { return c_.left; }
    double Top() const { return c_.top; }
    double Width() const { return c_.width; }
    double Height() const { return c_.height; }
    Status setLeft(double v) { return Move(v, c_.top, c_.width, c_.height); }
    Status setTop(double v) { return Move(c_.left, v, c_.width, c_.height); }
    Status setWidth(double v) { return Move(c_.left, c_.top, v, c_.height); }
    Status setHeight(double v) { return Move(c_.left, c_.top, c_.width, v); }
    Status Move(double left, double top, double width, double height);

    bool Visible() const { return c_.visible; }
    virtual Status setVisible(bool v);
    bool Enabled() const { return c_.enabled; }
    virtual Status setEnabled(bool v);
    const std::string& ToolTipText() const { return c_.toolTip; }
    Status setToolTipText(const std::string& v);
    const std::string& Tag() const { return c_.tag; }
    Status setTag(const std::string& v);
    int TabIndex() const { return c_.tabIndex; }
    Status setTabIndex(int v);
    bool tabIndexSet() const { return c_.tabIndexSet; }  // the form chose this control's place
    bool TabStop() const { return c_.tabStop; }
    Status setTabStop(bool v);
    long HelpContextID() const { return c_.helpContextId; }
    Status setHelpContextID(long v);
    long ForeColor() const { return c_.foreColor; }
    Status setForeColor(long v);
    long BackColor() const { return c_.backColor; }
    virtual Status setBackColor(long v);
    bool FontBold() const { return c_.fontBold; }
    Status setFontBold(bool v);
    double FontSize() const { return c_.fontSize; }
    Status setFontSize(double v);

    Status SetFocus();
    void ZOrder();
    virtual void Refresh();

    // Puts this control into a frame, picture box or tab page; Left and Top become relative.
    Status setContainer(Control& container, int page = -1);
    Control* Container() const { return container_; }
    int ContainerPage() const { return page_; }

    Event<> GotFocus;
    Event<> LostFocus;

    // ---- used by the runtime and the test script
    virtual bool takesFocus() const { return false; }
    virtual bool isContainer() const { return false; }
    virtual QWidget* childArea(int page);    // where contained controls live
    virtual bool pageShown(int page) const;  // a tab page currently shown
    bool visibleChain() const;               // this control and its containers visible, page shown
    bool enabledChain() const;               // this control and its containers enabled
    bool canTakeFocusNow() const;            // loaded, shown form, visible, enabled, takes focus
    QWidget* widget() const { return widget_; }

    void build(QWidget* parent);  // the form loads: make the widget from the state
    void teardown();              // the form unloads: forget the widget (Qt deletes it)
    void reset();                 // back to the values before the design

    // User input that reached this control while it has the focus.
    virtual void userAscii(int keyAscii);  // after KeyPress; the key's effect
    virtual void userKey(Key key);         // non-character keys
    virtual void focusGained(FocusReason) {}
    // The control became (true) or stopped being (false) its form's active control.
    virtual void activeChanged(bool) {}
    virtual bool filterEvent(QObject* watched, QEvent* event);
    // The action of a mnemonic or of a label's mnemonic that moved here.
    virtual void mnemonicAction() {}

    void raiseFocusEvent(bool gained) {
        if (gained) {
            raise("GotFocus", GotFocus, Raise::Code);
        } else {
            raise("LostFocus", LostFocus, Raise::Code);
        }
    }
    // Raises KeyPress on this control (form's KeyPreview first); returns the resulting code.
    int raiseKeyPress(int keyAscii);
    Event<int&> KeyPress;

    std::string traceName() const;

  protected:
    virtual QWidget* createWidget(QWidget* parent) = 0;
    virtual void resetState() = 0;
    virtual void widgetMoved() {}
    virtual void fontChanged() {}

    // Raises an event; false when the rules held it back (or the form is not loaded).
    template <class... A, class... B>
    bool raise(const char* event, const Event<A...>& handler, Raise kind, B&&... args) {
        if (!beginRaise(event, kind, detail::formatArgs(args...))) return false;
        try {
            handler.call(std::forward<B>(args)...);
        } catch (const std::exception& e) {
            handlerFailed(event, e.what());
        } catch (...) {
            handlerFailed(event, "unknown exception");
        }
        endRaise(event);
        return true;
    }
    bool running(const char* event) const;
    bool refuse(const std::string& what);  // logs and returns false
    Status refused(const std::string& what);

    void applyCommon();
    void applyFont();
    void applyColors();
    QObject* guard() const { return guard_.get(); }  // context of Qt connections
    void watch(QWidget* w);                          // routes w's events to filterEvent

    Form* form_;
    QPointer<QWidget> widget_;

  private:
    bool beginRaise(const char* event, Raise kind, const std::string& args);
    void endRaise(const char* event);
    void handlerFailed(const char* event, const std::string& message);
    void afterStateChange();

    struct Common {
        double left = 0, top = 0, width = 1215, height = 375;
        bool visible = true, enabled = true;
        std::string toolTip, tag;
        int tabIndex = 0;
        bool tabIndexSet = false;
        bool tabStop = true;
        long helpContextId = 0;
        long foreColor = SysColor::ButtonText;
        long backColor = SysColor::ButtonFace;
        bool fontBold = false;
        double fontSize = 8.25;
        bool foreSet = false, backSet = false, fontSizeSet = false;
    };

    std::string name_;
    int index_;
    Common c_;
    Control* container_ = nullptr;
    int page_ = -1;
    std::vector<std::pair<std::string, int>> running_;
    std::unique_ptr<detail::ControlFilter> guard_;
};

// A colour as Qt draws it: RGB longs and system colours from the application palette.
QColor resolveColor(long color);

}  // namespace velt::ui

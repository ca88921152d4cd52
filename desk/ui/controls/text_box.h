// Text box over QLineEdit. Text reads back exactly; setting a different Text raises Change and
// leaves the caret at the end. SelStart and SelLength are clamped; positions count characters.
// User typing raises KeyPress before the key has any effect (0 cancels it, another code replaces
// it), then edits, then raises one Change per edit. MaxLength limits user input only; Locked
// text can be selected and copied but not edited. UserEdit() tells a Change handler that the
// change is the user's own edit (a key, a paste, a cut, Delete), so a numeric box can leave a
// number being typed alone until it is left and still check what code writes at once.
#pragma once

#include <QString>

#include "desk/ui/control.h"

namespace velt::ui {

class TextBox : public Control {
  public:
    TextBox(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    const std::string& Text() const { return s_.text; }
    Status setText(const std::string& v);
    int SelStart() const { return s_.selStart; }
    Status setSelStart(int v);
    int SelLength() const { return s_.selLength; }
    Status setSelLength(int v);
    std::string SelText() const;
    Status setSelText(const std::string& v);
    int MaxLength() const { return s_.maxLength; }
    Status setMaxLength(int v);
    bool Locked() const { return s_.locked; }
    Status setLocked(bool v);
    int Alignment() const { return s_.alignment; }
    Status setAlignment(int v);

    // True while the Change of a user's edit is handled (not in a Change that code's writes
    // raise from inside it).
    bool UserEdit() const { return userEdit_; }

    Event<> Change;
    Event<> Click;
    Event<> DblClick;

    bool takesFocus() const override { return true; }
    void userAscii(int keyAscii) override;
    void userKey(Key key) override;
    void focusGained(FocusReason reason) override;
    bool filterEvent(QObject* watched, QEvent* event) override;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void replaceSelection(const QString& with, bool user);
    void store(const QString& text, int caret, bool raiseChange, bool user);
    void raiseChange(bool user);
    void push();
    void pullFromWidget();
    int length() const { return static_cast<int>(QString::fromStdString(s_.text).size()); }

    struct State {
        std::string text;
        int selStart = 0, selLength = 0, maxLength = 0;
        bool locked = false;
        int alignment = 0;
    } s_;
    bool pushing_ = false;
    bool userEdit_ = false;
};

}  // namespace velt::ui

// Combo box over QComboBox, in two styles: editable drop-down (0) and drop-down list (2).
// ListIndex = i raises Click, also for the row already selected (R1 applies); -1 clears the
// selection without an event. Text on an editable combo raises Change and selects the row of
// exactly that text without Click; on a drop-down list it selects the first such row (Click) or
// is refused. Adding, removing, clearing and List(i) raise nothing. The editable combo's text is
// edited as a text box's: at the caret or over the selection (focus by Tab selects the whole
// text), Backspace and Delete remove the selection or one character, each edit one Change.
#pragma once

#include <QString>

#include "desk/ui/control.h"
#include "desk/ui/controls/list_items.h"

namespace velt::ui {

class ComboBox : public Control {
  public:
    enum StyleKind { DropDownCombo = 0, DropDownList = 2 };

    ComboBox(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    int Style() const { return s_.style; }
    Status setStyle(int v);
    Status AddItem(const std::string& text, int index = -1);
    Status RemoveItem(int index);
    void Clear();
    std::string List(int i) const { return s_.items.at(i); }
    Status setList(int i, const std::string& text);
    int ListCount() const { return s_.items.count(); }
    int ListIndex() const { return s_.items.index; }
    Status setListIndex(int i);
    const std::string& Text() const { return s_.text; }
    Status setText(const std::string& v);
    // The caret and selection of the editable combo's text, in characters.
    int SelStart() const { return s_.selStart; }
    int SelLength() const { return s_.selLength; }

    Event<> Click;
    Event<> Change;
    Event<> DblClick;

    bool takesFocus() const override { return true; }
    // A pick from the open list: Click, also for the row already selected.
    void userPick(int row);
    void userAscii(int keyAscii) override;
    void userKey(Key key) override;
    void focusGained(FocusReason reason) override;
    bool filterEvent(QObject* watched, QEvent* event) override;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void push();
    void selectRow(int row, Raise kind);
    void editText(const std::string& text, int caret);
    void replaceSelection(const QString& with);
    void pullSelection();
    int length() const;

    struct State {
        int style = DropDownCombo;
        ListItems items;
        std::string text;
        int selStart = 0, selLength = 0;
    } s_;
    bool pushing_ = false;
};

}  // namespace velt::ui

// List box over QListWidget, single selection, with the combo box's list members and ListIndex
// rules. A user click on a row raises Click, a double click Click then DblClick; arrow keys move
// the selection with Click. Text is the selected row's text.
#pragma once

#include "desk/ui/control.h"
#include "desk/ui/controls/list_items.h"

namespace velt::ui {

class ListBox : public Control {
  public:
    ListBox(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    Status AddItem(const std::string& text, int index = -1);
    Status RemoveItem(int index);
    void Clear();
    std::string List(int i) const { return items_.at(i); }
    Status setList(int i, const std::string& text);
    int ListCount() const { return items_.count(); }
    int ListIndex() const { return items_.index; }
    Status setListIndex(int i);
    std::string Text() const { return items_.at(items_.index); }

    Event<> Click;
    Event<> DblClick;

    bool takesFocus() const override { return true; }
    void userClickRow(int row, bool doubleClick = false);
    void userAscii(int keyAscii) override;
    void userKey(Key key) override;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { items_ = ListItems{}; }

  private:
    void push();
    ListItems items_;
};

}  // namespace velt::ui

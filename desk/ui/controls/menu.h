// Menus: items with a parent item (none for a top menu of the form's menu bar). Caption with an
// "&" mnemonic ("-" makes a separator), Enabled, Visible, Checked, Shortcut ("Ctrl+O"), Picture
// (the bitmap drawn beside the caption, the same for both check states), Click. A
// top menu raises Click just before it opens. Disabled or invisible items and separators raise
// nothing. Menu clicks move no focus.
#pragma once

#include "desk/ui/control.h"
#include "desk/ui/picture.h"

class QAction;
class QMenu;

namespace velt::ui {

class MenuItem : public Control {
  public:
    MenuItem(Form* form, std::string name, int index = -1, MenuItem* parent = nullptr);
    MenuItem(Form* form, std::string name, MenuItem* parent)
        : MenuItem(form, std::move(name), -1, parent) {}

    const std::string& Caption() const { return s_.caption; }
    Status setCaption(const std::string& v);
    bool Checked() const { return s_.checked; }
    Status setChecked(bool v);
    const std::string& Shortcut() const { return s_.shortcut; }
    Status setShortcut(const std::string& v);
    const Picture& getPicture() const { return s_.picture; }
    Status setPicture(const Picture& p);
    Status setVisible(bool v) override;
    Status setEnabled(bool v) override;
    bool isSeparator() const { return s_.caption == "-"; }
    MenuItem* parentItem() const { return parent_; }
    // The Qt objects behind the item (null while the form is not loaded): its entry in the
    // parent menu or menu bar, and the menu it opens when it has items of its own.
    QAction* qtAction() const { return action_; }
    QMenu* qtMenu() const { return menu_; }

    Event<> Click;

    // A click on the item (or on a top menu, which raises Click as it opens).
    void userClick();

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override;

  private:
    QMenu* submenu();  // made when the first child item is built
    void push();

    struct State {
        std::string caption, shortcut;
        bool checked = false;
        Picture picture;
    } s_;
    MenuItem* parent_;
    QAction* action_ = nullptr;
    QMenu* menu_ = nullptr;
};

}  // namespace velt::ui

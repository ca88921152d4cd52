// Tab control: a QTabBar over one page area per tab. Tab is the 0-based current tab; changing it
// (by code or by a user click) raises Click(PreviousTab); the current tab again raises nothing;
// an index out of range is refused. Controls on other pages keep Visible and work from code.
#pragma once

#include <vector>

#include "desk/ui/control.h"

class QTabBar;

namespace velt::ui {

class TabControl : public Control {
  public:
    TabControl(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    int Tabs() const { return static_cast<int>(s_.captions.size()); }
    Status setTabs(int n);
    int Tab() const { return s_.tab; }
    Status setTab(int i);
    std::string TabCaption(int i) const;
    Status setTabCaption(int i, const std::string& caption);

    Event<int> Click;  // PreviousTab

    bool takesFocus() const override { return true; }
    bool isContainer() const override { return true; }
    QWidget* childArea(int page) override;
    bool pageShown(int page) const override { return page == s_.tab; }
    void userSelect(int i);
    void userKey(Key key) override;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override;
    void widgetMoved() override;

  private:
    void push();
    void select(int i, Raise kind);

    struct State {
        std::vector<std::string> captions{"Tab 0", "Tab 1", "Tab 2"};
        int tab = 0;
    } s_;
    QTabBar* bar_ = nullptr;
    std::vector<QWidget*> pages_;
};

}  // namespace velt::ui

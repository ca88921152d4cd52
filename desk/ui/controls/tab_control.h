// Tab control: a QTabBar over one page area per tab. Tab is the 0-based current tab; changing it
// (by code or by a user click) raises Click(PreviousTab); the current tab again raises nothing;
// an index out of range is refused. Controls on other pages keep Visible and work from code.
// A user chooses a tab by a click, a tab caption's mnemonic, Ctrl+Tab/Ctrl+PageDown (next, from
// the last to the first) and Ctrl+Shift+Tab/Ctrl+PageUp (previous), or Left/Right on the focused
// strip; each way shows the page and raises Click once. The focused strip marks its current tab.
#pragma once

#include <vector>

#include "desk/ui/control.h"

namespace velt::ui {

namespace detail {
class FocusTabBar;
}

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
    // The tab-switching keys: the next (+1) or previous (-1) tab, round the end. When the focus
    // is on the page going away it moves to the strip first, as a click on the strip would.
    void userStep(int step);
    void userKey(Key key) override;
    void activeChanged(bool active) override;
    bool filterEvent(QObject* watched, QEvent* event) override;
    bool focusMarkShown() const;  // what the strip draws: its current tab marked as focused

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
    detail::FocusTabBar* bar_ = nullptr;
    std::vector<QWidget*> pages_;
};

}  // namespace velt::ui

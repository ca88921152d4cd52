// Status bar over QStatusBar: one panel whose Text (also Panels(1).Text) reads back exactly what
// was stored. Align 2 (the default) docks it at the bottom of its container at the container's
// width; Align 0 keeps it where Left, Top, Width and Height place it.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class StatusBar : public Control {
  public:
    StatusBar(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    const std::string& Text() const { return text_; }
    Status setText(const std::string& v);
    // The one panel; Panels(1).Text() and Panels(1).setText() reach the same text.
    StatusBar& Panels(int i);

    int Align() const { return align_; }
    Status setAlign(int v);  // 0 none, 2 bottom

    void dock();  // follows the container's width when docked

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override {
        text_.clear();
        align_ = 2;
    }

  private:
    std::string text_;
    int align_ = 2;
};

}  // namespace velt::ui

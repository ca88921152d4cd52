// Status bar over QStatusBar, docked at the bottom of the form: one panel whose Text (also
// Panels(1).Text) reads back exactly what was stored.
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

    void dock();  // follows the form's client width

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { text_.clear(); }

  private:
    std::string text_;
};

}  // namespace velt::ui

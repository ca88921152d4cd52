// Frame over QGroupBox: a Caption and a container for geometry and option groups.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class Frame : public Control {
  public:
    Frame(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    const std::string& Caption() const { return caption_; }
    Status setCaption(const std::string& v);

    bool isContainer() const override { return true; }

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { caption_.clear(); }

  private:
    std::string caption_;
};

}  // namespace velt::ui

// Frame over QGroupBox: a Caption and a container for geometry and option groups. BorderStyle 1
// (the default) draws the box with its caption; 0 draws neither, so the frame only groups and
// places its controls (the caption still reads back as stored).
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class Frame : public Control {
  public:
    Frame(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    const std::string& Caption() const { return caption_; }
    Status setCaption(const std::string& v);
    int BorderStyle() const { return borderStyle_; }
    Status setBorderStyle(int v);

    bool isContainer() const override { return true; }

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override {
        caption_.clear();
        borderStyle_ = 1;
    }

  private:
    void apply();
    std::string caption_;
    int borderStyle_ = 1;
};

}  // namespace velt::ui

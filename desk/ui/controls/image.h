// Image over QLabel with a pixmap: Picture, Stretch; Click, DblClick. Takes no focus.
#pragma once

#include "desk/ui/control.h"
#include "desk/ui/picture.h"

namespace velt::ui {

class Image : public Control {
  public:
    Image(Form* form, std::string name, int index = -1) : Control(form, std::move(name), index) {}

    const Picture& getPicture() const { return s_.picture; }
    Status setPicture(const Picture& p);
    bool Stretch() const { return s_.stretch; }
    Status setStretch(bool v);

    Event<> Click;
    Event<> DblClick;

    bool filterEvent(QObject* watched, QEvent* event) override;
    void userClick(bool doubleClick);

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    void apply();
    struct State {
        Picture picture;
        bool stretch = false;
    } s_;
};

}  // namespace velt::ui

// A widget that draws the keyboard focus mark itself. Controls built of several widgets keep Qt's
// focus on one of them, so the part the keys act on (a tab, a button of a bar) would otherwise
// never show that it is the one.
#pragma once

#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace velt::ui {

template <class Base>
class FocusMarked : public Base {
  public:
    using Base::Base;
    void setMarked(bool marked) {
        if (marked_ == marked) return;
        marked_ = marked;
        this->update();
    }
    bool marked() const { return marked_; }

  protected:
    // The style's focus frame around `area`, drawn whether or not the widget has Qt's focus.
    void drawFocusMark(QPainter& painter, const QRect& area) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
        option.rect = area;
        option.backgroundColor = this->palette().color(QPalette::Window);
        this->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }

  private:
    bool marked_ = false;
};

}  // namespace velt::ui

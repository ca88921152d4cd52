// A user at the windows, through Qt events as a window system delivers them: every key goes to
// the widget that has Qt's focus, so a window whose focus went nowhere gets no key; a click goes
// to the window, so a window blocked by a modal one gets none.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "desk/ui/form.h"
#include "desk/ui/media_control.h"

namespace velt::desk::test_keys {

// The form's window becomes the active one, as when the user brings it to the front.
inline void activate(ui::Form& f) {
    QApplication::setActiveWindow(f.window());
}

// One key to the focused widget; false (and a failure) when no widget has the focus.
inline bool press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focused = QApplication::focusWidget();
    if (focused == nullptr) {
        ADD_FAILURE() << "no widget has the focus for the key " << key;
        return false;
    }
    QTest::keyClick(focused, key, modifiers);
    return true;
}

// Tab until `target` is the form's active control; false when a whole round of the form's
// stops never reaches it.
inline bool tabTo(ui::Form& f, const ui::Control& target, int limit = 60) {
    for (int i = 0; i < limit && f.ActiveControl() != &target; ++i)
        if (!press(Qt::Key_Tab)) return false;
    return f.ActiveControl() == &target;
}

// With the bar focused: Right until its mark is on `button`, then Space. False when the mark
// never gets there or the bar is not focused.
inline bool pressBar(ui::Form& f, ui::MediaControl& bar, ui::MediaControl::Button button) {
    if (f.ActiveControl() != &bar) return false;
    for (int i = 0; i < ui::MediaControl::kButtons && bar.FocusedButton() != button; ++i)
        if (!press(Qt::Key_Right)) return false;
    if (bar.FocusedButton() != button) return false;
    return press(Qt::Key_Space);
}

// A left click at the widget's centre, delivered to its window as the window system's.
inline void click(QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint at = widget->window()->mapFromGlobal(widget->mapToGlobal(widget->rect().center()));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace velt::desk::test_keys

#include "desk/ui/keys.h"

#include <algorithm>

namespace velt::ui {

std::optional<Key> translateKey(const QKeyEvent& e) {
    const bool ctrl = (e.modifiers() & Qt::ControlModifier) != 0;
    const bool shift = (e.modifiers() & Qt::ShiftModifier) != 0;
    switch (e.key()) {
        case Qt::Key_Tab:
            if (ctrl) return shift ? Key::CtrlShiftTab : Key::CtrlTab;
            return shift ? Key::ShiftTab : Key::Tab;
        case Qt::Key_Backtab:
            return ctrl ? Key::CtrlShiftTab : Key::ShiftTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return Key::Enter;
        case Qt::Key_Escape:
            return Key::Esc;
        case Qt::Key_Delete:
            return Key::Delete;
        case Qt::Key_Left:
            return Key::Left;
        case Qt::Key_Right:
            return Key::Right;
        case Qt::Key_Up:
            return Key::Up;
        case Qt::Key_Down:
            return Key::Down;
        case Qt::Key_Home:
            return Key::Home;
        case Qt::Key_End:
            return Key::End;
        case Qt::Key_PageUp:
            return ctrl ? Key::CtrlPageUp : Key::PageUp;
        case Qt::Key_PageDown:
            return ctrl ? Key::CtrlPageDown : Key::PageDown;
        case Qt::Key_F1:
            return Key::F1;
        default:
            return std::nullopt;
    }
}

int translateAscii(const QKeyEvent& e) {
    if (e.key() == Qt::Key_Backspace) return 8;
    if ((e.modifiers() & Qt::ControlModifier) && e.key() >= Qt::Key_A && e.key() <= Qt::Key_Z) {
        return e.key() - Qt::Key_A + 1;
    }
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return 0;
    QString text = e.text();
    if (text.size() != 1) return 0;
    int code = text.at(0).unicode();
    return (code >= 32 && code != 127 && code < 256) ? code : 0;
}

std::optional<int> caretAfterKey(Key key, int selStart, int selLength, int length) {
    switch (key) {
        case Key::Left:
            return std::max(0, selLength > 0 ? selStart : selStart - 1);
        case Key::Right:
            return std::min(length, selStart + std::max(selLength, 1));
        case Key::Home:
            return 0;
        case Key::End:
            return length;
        default:
            return std::nullopt;
    }
}

std::optional<EditSelection> selectionOnFocus(FocusReason reason, int length) {
    switch (reason) {
        case FocusReason::Tab:
        case FocusReason::Mnemonic:
            return EditSelection{0, length};
        case FocusReason::Mouse:
            return EditSelection{length, 0};
        default:
            return std::nullopt;
    }
}

}  // namespace velt::ui

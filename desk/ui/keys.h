// Translation of Qt key events into the runtime's keys and classic key codes.
#pragma once

#include <QKeyEvent>
#include <optional>

#include "desk/ui/control.h"

namespace velt::ui {

// Tab, Enter, Esc, Delete, arrows, Home/End, PageUp/PageDown, F1, and Ctrl+Tab, Ctrl+Shift+Tab,
// Ctrl+PageDown and Ctrl+PageUp.
std::optional<Key> translateKey(const QKeyEvent& event);
// Printable characters (their code), Backspace 8 and Ctrl+A..Z 1..26; 0 for other keys.
int translateAscii(const QKeyEvent& event);

// Where a caret key (Left, Right, Home, End) puts the caret of a one-line edit holding `length`
// characters: Left and Right leave a selection at its start or past its end. Nothing for other
// keys.
std::optional<int> caretAfterKey(Key key, int selStart, int selLength, int length);

// The selection a one-line edit holding `length` characters takes when it gains the focus: all
// of its text by Tab or a mnemonic, the caret after the last character by a click. Nothing when
// code moved the focus: the selection stays.
struct EditSelection {
    int start = 0;
    int length = 0;
};
std::optional<EditSelection> selectionOnFocus(FocusReason reason, int length);

}  // namespace velt::ui

// Message boxes and input boxes. The style is the classic sum of buttons, icon, default button
// and modality; the result is the classic answer number. A non-zero help topic adds a Help button
// that opens the topic and leaves the box open. In batch mode nothing is shown: one line
// "title: text" goes to standard error and the default button answers.
#pragma once

#include <string>
#include <vector>

#include "desk/ui/types.h"

namespace velt::ui {

int MessageBox(const std::string& text, int style = 0, const std::string& title = "",
               long helpTopic = 0);

InputResult InputBox(const std::string& prompt, const std::string& title = "",
                     const std::string& defaultText = "");

// The parts of a style, for the dialogs and the test script.
struct BoxStyleParts {
    std::vector<int> buttons;  // answers in order
    int icon = 0;              // 0, 16, 32, 48 or 64
    int defaultIndex = 0;      // into buttons
    bool systemModal = false;
    int defaultAnswer() const { return buttons[static_cast<size_t>(defaultIndex)]; }
    // Esc and the close button: Cancel when present, OK on an OK-only box, else nothing (0).
    int escapeAnswer() const;
};
BoxStyleParts splitStyle(int style);
std::string answerName(int answer);
// Line breaks become blanks, for the one-line batch report.
std::string oneLine(const std::string& text);

}  // namespace velt::ui

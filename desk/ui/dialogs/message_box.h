// Message boxes and input boxes. The style is the classic sum of buttons, icon, default button
// and modality; the result is the classic answer number. A non-zero help topic adds a Help button
// that opens the topic and leaves the box open. In batch mode nothing is shown: one line
// "title: text" goes to standard error and the default button answers.
#pragma once

#include <string>
#include <vector>

#include "desk/ui/types.h"

namespace velt::ui {

// Message box answers (the classic numbers).
enum Answer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Message box styles: one value of each group (buttons, icon, default button, modality), added,
// for example YesNo + Question or Critical + SystemModal.
enum BoxStyle {
    OKOnly = 0,
    OKCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton1 = 0,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
    ApplicationModal = 0,
    SystemModal = 4096
};

int MessageBox(const std::string& text, int style = OKOnly, const std::string& title = "",
               long helpTopic = 0);

InputResult InputBox(const std::string& prompt, const std::string& title = "",
                     const std::string& defaultText = "");

// The parts of a style, for the dialogs and the test script.
struct BoxStyleParts {
    std::vector<int> buttons;  // answers in order
    int icon = 0;              // 0, Critical, Question, Exclamation or Information
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

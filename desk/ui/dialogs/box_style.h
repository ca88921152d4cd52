// Named parts of a message box style (buttons + icon + default button + modality) and its answers,
// the classic numbers that ui::MessageBox and ShowMessage take and return.
#pragma once

namespace velt::ui::box {

// Buttons.
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
// Icons.
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
// Default button.
constexpr int DefaultSecond = 256;

// Answers.
constexpr int AnswerOk = 1;
constexpr int AnswerCancel = 2;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;

}  // namespace velt::ui::box

// The numeric text boxes of the windows share one rule: on focus a box selects its whole text and
// remembers it; on leaving, a number outside the box's range is replaced by the nearer bound, and
// a text that is no number at all (empty, a lone sign, letters) gets back the remembered text.
// BoxMemory keeps one remembered text per box, so a check that code runs on a box other than
// the one last focused never restores another box's text.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velt::ui {
class TextBox;
}

namespace velt::desk {

// The text as a number when it reads as one: optional blanks, an optional sign, then a digit (or
// a point and a digit). What follows the number is ignored ("120%" reads 120, "+12" reads 12).
bool ReadBoxNumber(const std::string& text, double& value);

class BoxMemory {
  public:
    // Selects the box's whole text and remembers it for this box.
    void remember(ui::TextBox& box);
    // The text the box held at its last focus, or nullptr when it never had the focus.
    const std::string* textOf(const ui::TextBox& box) const;

  private:
    std::vector<std::pair<const ui::TextBox*, std::string>> texts_;
};

enum class BoxCheck {
    Kept,      // a number inside the range: the text stays as typed
    Clamped,   // a number outside: the nearer bound replaced it
    Restored,  // no number: the remembered text replaced it
    Unread,    // no number and nothing remembered: the text stays
};

// Holds the number of a box to [low, high] (whole-number bounds, written as plain decimals).
BoxCheck HoldBoxNumber(ui::TextBox& box, long low, long high, const std::string* remembered);

}  // namespace velt::desk

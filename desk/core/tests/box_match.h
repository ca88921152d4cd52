// Matchers for the message boxes of the core procedures.
#pragma once

#include <string>

#include "desk/ui/testing/script.h"

namespace velt::desk::test_boxes {

// A box with exactly this text (or, with `prefix`, a text that starts with it), this title and
// icon; a help topic of 0 means the box has no Help button.
inline ui::test::BoxMatch Box(const std::string& text, const std::string& title, int icon,
                              long help = 0, bool prefix = false) {
    ui::test::BoxMatch m;
    if (prefix)
        m.textStartsWith = text;
    else
        m.text = text;
    m.title = title;
    m.icon = icon;
    m.help = help;
    return m;
}

}  // namespace velt::desk::test_boxes

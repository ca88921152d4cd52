#include "desk/core/shared/numeric_box.h"

#include <cctype>
#include <cmath>

#include "desk/core/shared/text_pieces.h"
#include "desk/ui/ui.h"

namespace velt::desk {

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

bool ReadBoxNumber(const std::string& text, double& value) {
    size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos) return false;
    if (text[at] == '+' || text[at] == '-') ++at;
    const bool digit = at < text.size() && isDigit(text[at]);
    const bool point = at + 1 < text.size() && text[at] == '.' && isDigit(text[at + 1]);
    if (!digit && !point) return false;
    value = Val(text);
    return std::isfinite(value);
}

void BoxMemory::remember(ui::TextBox& box) {
    box.setSelStart(0);
    box.setSelLength(static_cast<int>(box.Text().size()));
    for (auto& [remembered, text] : texts_)
        if (remembered == &box) {
            text = box.Text();
            return;
        }
    texts_.emplace_back(&box, box.Text());
}

const std::string* BoxMemory::textOf(const ui::TextBox& box) const {
    for (const auto& [remembered, text] : texts_)
        if (remembered == &box) return &text;
    return nullptr;
}

BoxCheck HoldBoxNumber(ui::TextBox& box, long low, long high, const std::string* remembered) {
    double value = 0;
    if (!ReadBoxNumber(box.Text(), value)) {
        if (!remembered) return BoxCheck::Unread;
        box.setText(*remembered);
        return BoxCheck::Restored;
    }
    if (value > static_cast<double>(high)) {
        box.setText(std::to_string(high));
        return BoxCheck::Clamped;
    }
    if (value < static_cast<double>(low)) {
        box.setText(std::to_string(low));
        return BoxCheck::Clamped;
    }
    return BoxCheck::Kept;
}

}  // namespace velt::desk

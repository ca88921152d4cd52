// The message boxes of the core procedures: a style summed from ui::BoxStyle names (buttons +
// icon + default button) and a ui::Answer, with an optional help topic.
#pragma once

#include <string>

#include "desk/core/help_topics.h"
#include "desk/ui/dialogs/message_box.h"

namespace velt::desk {

int ShowMessage(const std::string& text, int style, const std::string& title,
                long helpTopic = help_topic::None);

}  // namespace velt::desk

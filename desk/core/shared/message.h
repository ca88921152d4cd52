// The message boxes of the core procedures: the classic style number (buttons + icon + default
// button) and answer number, with an optional help topic.
#pragma once

#include <string>

namespace velt::desk {

int ShowMessage(const std::string& text, int style, const std::string& title, long helpTopic = 0);

}  // namespace velt::desk

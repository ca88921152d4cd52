#include "desk/core/shared/message.h"

#include "desk/ui/dialogs/message_box.h"

namespace velt::desk {

int ShowMessage(const std::string& text, int style, const std::string& title, long helpTopic) {
    return ui::MessageBox(text, style, title, helpTopic);
}

}  // namespace velt::desk

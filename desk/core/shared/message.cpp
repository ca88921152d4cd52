#include "desk/core/shared/message.h"

#include "desk/core/global.h"
#include "desk/ui/dialogs/message_box.h"

namespace velt::desk {

int ShowMessage(const std::string& text, int style, const std::string& title, long helpTopic) {
    if (G().BatchMode) G().BatchMessage = text;
    return ui::MessageBox(text, style, title, helpTopic);
}

}  // namespace velt::desk

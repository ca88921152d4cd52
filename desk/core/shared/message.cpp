#include "desk/core/shared/message.h"

#include <iostream>

#include "desk/core/global.h"

namespace velt::desk {

// Until the forms runtime shows boxes, a box is reported as one line on standard error and
// answered with its default button, as in a batch conversion.
int ShowMessage(const std::string& text, int style, const std::string& title, long /*helpTopic*/) {
    static const int answers[6][3] = {{1, 1, 1}, {1, 2, 2}, {3, 4, 5},
                                      {6, 7, 2}, {6, 7, 7}, {4, 2, 2}};
    std::string line = text;
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    std::cerr << (title.empty() ? G().AppTitle : title) << ": " << line << '\n';
    int buttons = style & 7;
    if (buttons > 5) buttons = 0;
    int index = (style >> 8) & 3;
    return answers[buttons][index > 2 ? 0 : index];
}

}  // namespace velt::desk

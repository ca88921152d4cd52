// The conversion windows' reach into the main window, through the shared module's hooks. With no
// main window (a command-line conversion, a test without one) the reads give "" and the writes
// and commands do nothing.
#pragma once

#include <string>

#include "desk/core/global.h"

namespace velt::desk::main_window {

inline std::string caption() {
    return MainWindow().caption ? MainWindow().caption() : std::string();
}
inline void setCaption(const std::string& text) {
    if (MainWindow().setCaption) MainWindow().setCaption(text);
}
inline std::string statusText() {
    return MainWindow().statusText ? MainWindow().statusText() : std::string();
}
inline void setStatusText(const std::string& text) {
    if (MainWindow().setStatusText) MainWindow().setStatusText(text);
}
inline void run(const std::function<void()>& command) {
    if (command) command();
}

}  // namespace velt::desk::main_window

// veltdesk: the desktop program. Everything happens in desk/core; this only makes the Qt
// application (offscreen for a command-line conversion without a display) and runs the start.
#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "desk/core/main_window/frm_main.h"
#include "desk/core/startup/end_signals.h"
#include "desk/core/startup/start_up.h"
#include "desk/ui/ui.h"
#include "desk/windows.h"
#include "platform/folders/instance_lock.h"
#include "platform/mci/mci.h"

namespace {

// The offscreen platform of a conversion without a display says what it can't do; that is
// expected and would only clutter standard error.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("This plugin does not support")) return;
    // A command-line conversion on a server often runs without a session's runtime folder; the
    // program keeps its own files in its private temp folder, so Qt's fallback is of no concern.
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
    qt_message_output(type, context, message);
}

bool set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::string commandLine = velt::desk::BuildCommandLine(args);
    const bool batch = velt::desk::ReadCommandLine(commandLine).batchMode;
    velt::ui::prepareDisplay(batch);
    // Without a display the main window can't open, but the start still says why it ends
    // (another copy running, or no display), so Qt gets its offscreen platform for that.
    const bool noDisplay =
        !batch && !set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY");
    if (noDisplay) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    QApplication::setApplicationName("veltdesk");
    app.setQuitOnLastWindowClosed(false);  // the main window's closing ends the program

    velt::desk::ProgramEndHook() = [] { QCoreApplication::exit(0); };
    velt::desk::RegisterWindows();
    const velt::desk::EndSignalWatch endSignals;  // SIGTERM and the like end the helpers too
    std::unique_ptr<velt::platform::InstanceLock> lock;
    int status = velt::desk::StartProgram(commandLine, lock, noDisplay);
    if (status < 0) status = velt::desk::LoadedMainForm() != nullptr ? app.exec() : 0;
    velt::ui::forms::releaseAll();
    velt::platform::mci::closeAll();  // while the sound layers are still there
    return status;
}

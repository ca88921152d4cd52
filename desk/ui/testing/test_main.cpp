// The main of the desktop program's test programs: Qt's offscreen platform unless another one
// is chosen, the Fusion style, and one application object for all tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

namespace {

// The offscreen platform says for each window what it can't do; that is expected here.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("This plugin does not support") ||
        message.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) {
        return;
    }
    qt_message_output(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(quietHandler);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    return RUN_ALL_TESTS();
}

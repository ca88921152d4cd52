#include "desk/ui/runtime.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "desk/ui/scheduler.h"
#include "platform/help/help.h"

namespace velt::ui {

namespace {

// The font size the layouts are drawn for: Qt's default on a desktop without a theme.
constexpr double kReferenceFontPoints = 9;
constexpr double kReferenceDpi = 96;

}  // namespace

double fontPointScale() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return 1;
    const QFont font = QGuiApplication::font();
    const double points = font.pointSizeF() > 0  ? font.pointSizeF()
                          : font.pixelSize() > 0 ? font.pixelSize() * 72.0 / kReferenceDpi
                                                 : kReferenceFontPoints;
    return points / kReferenceFontPoints;
}

double pixelScale() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return 1;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : kReferenceDpi;
    return fontPointScale() * dpi / kReferenceDpi;
}

Runtime& Runtime::instance() {
    static Runtime runtime;
    static const bool connected = (connectMultimediaToRuntime(), true);
    (void)connected;
    return runtime;
}

void Runtime::useTestClock(platform::ManualClock* clock) {
    manualClock_ = clock;
    clock_ = clock;
}

void Runtime::refuse(const std::string& what) {
    refusals_.push_back(what);
    // Bounded, so a loop of refused assignments can't eat the memory.
    if (refusals_.size() > 10000) refusals_.erase(refusals_.begin(), refusals_.begin() + 5000);
}

void Runtime::reportHandlerFailure(const std::string& where, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", where.c_str(), message.c_str());
    if (driver) driver->handlerFailed(where, message);
}

bool showHelpTopic(long topic) {
    if (topic == 0 || runtime().help == nullptr) return false;
    return runtime().help->showTopic(topic);
}

void prepareDisplay(bool batchMode) {
    if (!batchMode) return;
    const char* platformName = std::getenv("QT_QPA_PLATFORM");
    if (platformName != nullptr && *platformName != '\0') return;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    bool display = (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
    if (!display) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace velt::ui

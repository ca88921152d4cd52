#include "desk/wizard/hidden_windows.h"

#include <algorithm>
#include <iterator>

#include "desk/core/global.h"

namespace velt::desk::wizard_windows {

namespace {

template <class Parts>
bool isLoaded(const OfferedWindow<Parts>& window) {
    const std::optional<Parts> parts = window.existing();
    return parts && parts->form.loaded();
}

template <class Parts>
void unload(const OfferedWindow<Parts>& window) {
    if (const std::optional<Parts> parts = window.existing()) parts->form.unload();
}

template <class Parts>
void releaseUnloaded(const OfferedWindow<Parts>& window) {
    if (!isLoaded(window)) window.release();
}

// A window's focused box that is one of the wizard's page boxes is forgotten.
template <class Parts>
void forgetPageBox(const OfferedWindow<Parts>& window, const ui::TextBox* const (&boxes)[4]) {
    const std::optional<Parts> parts = window.existing();
    if (parts &&
        std::find(std::begin(boxes), std::end(boxes), parts->FocusedBox) != std::end(boxes))
        parts->FocusedBox = nullptr;
}

}  // namespace

SettingsDialogParts editor() {
    return Windows().settingsDialog.get();
}

RecorderParts recorder() {
    return Windows().recorder.get();
}

CdWindowParts cdWindow() {
    return Windows().cdWindow.get();
}

void LoadCDWindow() {
    CallHook(Windows().loadCdWindowForWizard);
}

void UnloadCDWindow() {
    unload(Windows().cdWindow);
    Windows().cdWindow.release();
}

void UnloadRecorder() {
    unload(Windows().recorder);
    Windows().recorder.release();
}

bool CDTransferAvailable() {
    const std::optional<CdWindowParts> cd = Windows().cdWindow.existing();
    return cd && cd->form.loaded() && cd->cmdRip.Enabled();
}

void StartCDTransfer() {
    cdWindow().cmdRip_Click();
}

void UnloadDrivenWindows(const ui::TextBox* const (&pageBoxes)[4]) {
    const WindowHooks& windows = Windows();
    forgetPageBox(windows.settingsDialog, pageBoxes);
    forgetPageBox(windows.recorder, pageBoxes);
    unload(windows.cdWindow);
    unload(windows.recorder);
    if (isLoaded(windows.settingsDialog)) {
        Global& g = G();
        g.WizardClosing = true;
        unload(windows.settingsDialog);
        g.WizardClosing = false;
    }
}

void ReleaseDrivenWindows() {
    const WindowHooks& windows = Windows();
    releaseUnloaded(windows.cdWindow);
    releaseUnloaded(windows.recorder);
    releaseUnloaded(windows.settingsDialog);
}

}  // namespace velt::desk::wizard_windows

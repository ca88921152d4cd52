// The outside MIDI editor link: once per user the main window looks for the editor; when it is
// registered its path becomes the MIDI editor, when not the user is offered to install or
// download it. "Path"/AS = 1 in the settings store settles the question.
#include "desk/core/main_window/editor_link.h"

#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "platform/registry/registry.h"
#include "platform/settings_store/settings_store.h"
#include "platform/shell/shell.h"

namespace velt::desk {

namespace {
struct RegistryChoice {
    platform::SystemRegistry system;
    platform::Registry* chosen = nullptr;
};
RegistryChoice& registryChoice() {
    static RegistryChoice choice;
    return choice;
}

const char* const kOffer =
    "Veltrane is compatible with all standard MIDI programs, including the award-winning Anvil "
    "Studio MIDI editing and notation program.  ";
const char* const kRegardless =
    "  Note: Veltrane works regardless of whether you install Anvil Studio or not.";
}  // namespace

platform::Registry& DeskRegistry() {
    RegistryChoice& c = registryChoice();
    return c.chosen != nullptr ? *c.chosen : c.system;
}

void UseRegistry(platform::Registry* registry) {
    registryChoice().chosen = registry;
}

std::string TrimNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

long QueryRegString(const std::string& keyPath, const std::string& valueName, std::string& text) {
    auto value = platform::queryText(DeskRegistry(), platform::RegistryRoot::LocalMachine, keyPath,
                                     valueName);
    if (!value) return 2;
    text = TrimNul(*value);
    return 0;
}

std::string GetAppPath() {
    std::string path;
    if (QueryRegString(kEditorAppPathKey, "", path) != 0) return "";
    return path;
}

std::string EditorInstallerPath() {
    return G().InstallFolder + "asinstall";
}

void frmMain::ASLinkAndInstall() {
    Global& g = G();
    platform::SettingsStore store(g.AppTitle);
    if (store.getSetting("Path", "AS", "0") != "0") return;
    std::string editor = GetAppPath();
    if (editor.empty()) {
        setCaption(g.AppTitle);
        std::error_code ec;
        std::string installer = EditorInstallerPath();
        if (std::filesystem::is_regular_file(installer, ec)) {
            int answer = ShowMessage(
                std::string(kOffer) + "Would you like to install Anvil Studio now?" + kRegardless,
                4 + 32, "Optional Anvil Studio Install");
            if (answer != 6) {
                ShowMessage(
                    "You can install Anvil Studio at any time by clicking on its shortcut "
                    "in the Start Menu.",
                    0, g.AppTitle);
                store.saveSetting("Path", "AS", "1");
                return;
            }
            DeskShell().startProgram(g.Quote + installer + g.Quote, platform::WindowStyle::Normal,
                                     g.InstallFolder);
        } else {
            int answer = ShowMessage(
                std::string(kOffer) +
                    "Would like to download the latest version of Anvil Studio now for free?" +
                    kRegardless,
                4 + 32, "Optional Anvil Studio Download");
            if (answer != 6) {
                ShowMessage(
                    "You can download Anvil Studio at any time by clicking on Help | "
                    "Download Latest Anvil Studio.",
                    0, g.AppTitle);
                store.saveSetting("Path", "AS", "1");
                return;
            }
            ShowMessage("Click Run or Open when prompted.", 0, g.AppTitle);
            mnuAS_Click();
        }
        ShowMessage("Click OK after Anvil Studio has finished installing to continue.", 0,
                    g.AppTitle);
        editor = GetAppPath();
        if (editor.empty()) return;
    }
    store.saveSetting("Custom", "MidiEditor", editor);
    store.saveSetting("Path", "AS", "1");
}

}  // namespace velt::desk

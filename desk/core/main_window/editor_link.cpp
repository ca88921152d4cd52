// The outside MIDI editor link: once per user the main window looks for a MIDI editor (a
// registered one, else Rosegarden or MuseScore on PATH); a found one becomes the MIDI editor,
// else the user is offered to install one. "Path"/AS = 1 in the settings store settles it.
#include "desk/core/main_window/editor_link.h"

#include "desk/core/global.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/tools.h"
#include "platform/registry/registry.h"
#include "platform/settings_store/settings_store.h"

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

// The editors named are the ones that can be installed from the system's software sources.
const char* const kOffer =
    "Veltrane is compatible with all standard MIDI programs, including the MIDI editing and "
    "notation programs Rosegarden and MuseScore, which you can install on this computer.  Would "
    "you like to install one of them now?  Note: Veltrane works regardless of whether you "
    "install a MIDI editor or not.";
const char* const kLater =
    "You can install a MIDI editor at any time; Help | Install a MIDI Editor tells how.";
const char* const kHowToInstall =
    "Install Rosegarden or MuseScore with your system's software manager, or in a terminal:\n\n"
    "sudo apt install rosegarden\nor\nsudo apt install musescore3\n\n"
    "Click OK after the MIDI editor has finished installing to continue.";
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

void frmMain::ASLinkAndInstall() {
    Global& g = G();
    platform::SettingsStore store(g.AppTitle);
    if (store.getSetting("Path", "AS", "0") != "0") return;
    // A MIDI editor the user already chose settles the link as it is (the desktop's opener,
    // the default when there is none, is no choice).
    const std::string chosen = store.getSetting("Custom", "MidiEditor", "");
    if (IsProgram(chosen) && !chosen.ends_with("/xdg-open")) {
        store.saveSetting("Path", "AS", "1");
        return;
    }
    std::string editor = GetAppPath();
    if (editor.empty()) editor = FindMidiEditor();
    if (editor.empty()) {
        setCaption(g.AppTitle);
        int answer = ShowMessage(kOffer, ui::YesNo + ui::Question, "Optional MIDI Editor");
        // Either answer settles the question: it is not asked again at the next start.
        store.saveSetting("Path", "AS", "1");
        if (answer != ui::Yes) {
            ShowMessage(kLater, ui::OKOnly, g.AppTitle);
            return;
        }
        ShowMessage(kHowToInstall, ui::Information, g.AppTitle);
        editor = FindMidiEditor();
        if (editor.empty()) return;
    }
    store.saveSetting("Custom", "MidiEditor", editor);
    store.saveSetting("Path", "AS", "1");
}

}  // namespace velt::desk

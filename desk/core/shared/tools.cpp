#include "desk/core/shared/tools.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/ui/help/help_window.h"
#include "desk/ui/runtime.h"
#include "platform/shell/shell.h"

namespace velt::desk {

namespace {

bool isProgram(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec) &&
           access(path.c_str(), X_OK) == 0;
}

// The MIDI editors that can be installed here, the favoured first.
const std::vector<std::string> kMidiEditors = {"rosegarden", "musescore", "mscore",
                                               "musescore3", "mscore3",   "musescore4"};

void defaultTool(std::string& tool, const std::vector<std::string>& candidates,
                 const std::string& lastResort) {
    std::error_code ec;
    if (!tool.empty() && std::filesystem::exists(tool, ec)) return;
    for (const auto& name : candidates) {
        std::string found = platform::FindProgram(name);
        if (!found.empty()) {
            tool = found;
            return;
        }
    }
    tool = lastResort;
}

// The file as one argument of its own. A relative name that starts with "-" gets "./" in front,
// so that no editor takes it for an option.
std::string fileArgument(const std::string& file) {
    return !file.empty() && file[0] == '-' ? "./" + file : file;
}

std::vector<std::string> editorArguments(const std::string& editor, const std::string& file) {
    if (file.empty()) return {editor};
    return {editor, fileArgument(file)};
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

std::unique_ptr<platform::Help> MakeProgramHelp(const std::string& installFolder) {
    return std::make_unique<ui::HelpWindow>(
        std::filesystem::path(installFolder) / "help",
        [](const std::string& page) { return DeskShell().openDocument(page); });
}

void ShowHelpTopic(long topic) {
    // The help service shows the page in the program's help window, or names the page it
    // could not find, as it does for F1 and the boxes' Help buttons.
    ui::showHelpTopic(topic);
}

std::vector<std::string> MidiEditorArguments() {
    return editorArguments(G().MidiEditor, G().MidiFileToEdit);
}

std::vector<std::string> AudioEditorArguments() {
    const Global& g = G();
    const std::string& file = g.AudioFileToEdit;
    // An editor that can't read AAC gets the decoded copy.
    bool aac = file.size() >= 4 && upper(file.substr(file.size() - 4)) == ".AAC";
    if (!aac || g.AudioEditor.find("mplay") == std::string::npos)
        return editorArguments(g.AudioEditor, file);
    return editorArguments(g.AudioEditor, g.WorkWaveFile);
}

void OpenMidiInEditor() {
    if (!DeskShell().startProgram(MidiEditorArguments(), platform::WindowStyle::Normal))
        ShowMessage("Unable to run MIDI Editor.", ui::Critical, "MIDI Editor",
                    help_topic::MidiEditor);
}

void OpenAudioInEditor() {
    if (!DeskShell().startProgram(AudioEditorArguments(), platform::WindowStyle::Normal))
        ShowMessage("Unable to run Audio File Editor.", ui::Critical, "Audio File Editor",
                    help_topic::AudioEditor);
}

void OpenUrl(const std::string& address) {
    if (!DeskShell().openDocument(address))
        ShowMessage(G().AppTitle +
                        " is unable to open your Web browser.  Please open it manually and enter "
                        "the address: " +
                        address,
                    ui::Exclamation, "Open Web Page", help_topic::WebBrowser);
}

void OpenSoundControlPanel() {
    for (const char* name : {"pavucontrol", "pavucontrol-qt"}) {
        std::string program = platform::FindProgram(name);
        if (!program.empty()) {
            DeskShell().startProgram({program});
            return;
        }
    }
}

void OpenRecordingMixer() {
    const Global& g = G();
    if (!DeskShell().startProgram({g.Mixer}, platform::WindowStyle::Normal))
        ShowMessage("Unable to open Mixer.", ui::Critical, "Recording Mixer", help_topic::Mixer);
}

std::string FindMidiEditor() {
    for (const auto& name : kMidiEditors) {
        std::string found = platform::FindProgram(name);
        if (!found.empty()) return found;
    }
    return "";
}

bool IsProgram(const std::string& path) {
    return isProgram(path);
}

void SetDefaultToolPaths() {
    Global& g = G();
    defaultTool(g.AudioEditor, {"audacity", "tenacity"}, "xdg-open");
    defaultTool(g.MidiEditor, kMidiEditors, "xdg-open");
    defaultTool(g.CDPlayer, {"vlc"}, "xdg-open");
    defaultTool(g.Mixer, {"pavucontrol", "pavucontrol-qt"}, "pavucontrol");
    // xdg-open is named by its full path when installed, so it counts as an existing file.
    for (std::string* tool : {&g.AudioEditor, &g.MidiEditor, &g.CDPlayer, &g.Mixer}) {
        if (tool->find('/') == std::string::npos) {
            std::string found = platform::FindProgram(*tool);
            if (!found.empty()) *tool = found;
        }
    }
}

}  // namespace velt::desk

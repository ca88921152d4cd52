// The commands of the main window's menus and toolbar. New, Open and a recent project lead on
// into editing or converting the project; the windows they open are modal.
#include "desk/core/about/frm_about.h"
#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/options/frm_customize.h"
#include "desk/core/project/project_file.h"
#include "desk/core/recognize.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/startup/version.h"
#include "desk/ui/runtime.h"
#include "platform/help/help.h"

namespace velt::desk {

std::string frmMain::WebSiteAddress() {
    return "https://www.veltrane.org/";
}

std::string frmMain::UpdateAddress() {
    return WebSiteAddress() + "version" + std::to_string(AppMajor) + std::to_string(AppMinor) +
           ".html";
}

std::string frmMain::proposedName() const {
    const Global& g = G();
    if (g.ProjectFile.empty()) return "";
    // The right-hand part of the length difference, as the folder normally leads the path.
    if (g.ProjectFile.size() <= g.ProjectFolder.size()) return "";
    return g.ProjectFile.substr(g.ProjectFolder.size());
}

void frmMain::mnuNew_Click() {
    Global& g = G();
    bool cancel = false;
    CheckChanges(cancel);
    if (cancel) return;
    OpenProfile("");
    g.WizardRunning = true;
    CallHook(Windows().showWizard);
    BringToFront();
    RefreshToolbar();
    CheckEditFiles(1);
    CheckRecognize();
    if (mnuRecognize.Enabled() && g.SettingsApplied) {
        g.WizardRunning = true;
        mnuRecognize_Click();
    }
}

void frmMain::mnuOpen_Click() {
    Global& g = G();
    cdlFile.setDialogTitle("Open Project");
    cdlFile.setFileName(proposedName());
    cdlFile.setFlags(0x1004);
    cdlFile.setInitDir(g.ProjectFolder);
    if (cdlFile.ShowOpen() == ui::DialogResult::Cancelled) return;
    bool cancel = false;
    CheckChanges(cancel);
    if (cancel) return;
    std::string old = g.ProjectFile;
    OpenProfile(cdlFile.FileName());
    openFollowUp(old);
}

void frmMain::openFollowUp(const std::string& oldProjectFile) {
    Global& g = G();
    if (g.ProjectFile == oldProjectFile) return;
    Toolbar.Buttons("Edit Project").setEnabled(true);
    mnuProject.setEnabled(true);
    if (g.AudioFileCount != 0)
        mnuProject_Click();
    else
        mnuRecognize_Click();
}

void frmMain::mnuFileArray_Click(int Index) {
    Global& g = G();
    std::string path = RecentPath(Index);
    if (path == g.ProjectFile) return;
    bool cancel = false;
    CheckChanges(cancel);
    if (cancel) return;
    std::string old = g.ProjectFile;
    OpenProfile(path);
    openFollowUp(old);
}

void frmMain::mnuSave_Click() {
    if (G().ProjectFile.empty())
        mnuSaveAs_Click();
    else
        SaveProfile();
}

void frmMain::mnuSaveAs_Click() {
    Global& g = G();
    std::string proposal;
    if (g.ProjectFile.empty() && g.AudioFileCount != 0)
        proposal = BaseNameOf(g.AudioFiles(1)) + ".vpr";
    else
        proposal = proposedName();
    cdlFile.setFileName(proposal);
    cdlFile.setDialogTitle("Save Project As");
    cdlFile.setFlags(0x806);
    cdlFile.setInitDir(g.ProjectFolder);
    cdlFile.setDefaultExt(".vpr");
    if (cdlFile.ShowSave() == ui::DialogResult::Cancelled) return;
    std::string chosen = cdlFile.FileName();
    g.ProjectFile = chosen;
    setCaption(g.AppTitle + " - " + cdlFile.FileTitle());
    UpdateMenu();
    // Read the project back only when it was written: a failed save keeps the project in memory.
    if (!SaveProfile()) return;
    OpenProfile("");
    OpenProfile(chosen);
}

void frmMain::mnuExit_Click() {
    unload();
}

void frmMain::mnuProject_Click() {
    Global& g = G();
    CallHook(Windows().showProperties);
    BringToFront();
    RefreshToolbar();
    CheckEditFiles(1);
    CheckRecognize();
    if (!mnuRecognize.Enabled() || !g.SettingsApplied) return;
    if (g.AudioFileCount != 0) {
        int answer = ShowMessage(
            "You will need to regenerate the MIDI file for your Project Editor changes to take "
            "effect.  Convert now?",
            ui::YesNo + ui::Question, "Converter");
        if (answer != ui::Yes) return;
        CloseResultsWindow();
        mnuRecognize_Click();
    } else {
        mnuRecognize_Click();
    }
}

void frmMain::mnuRecognize_Click() {
    if (recognize) recognize();
}

void frmMain::mnuPlayer_Click() {
    CallHook(Windows().showPlayer);
    RefreshToolbar();
}

void frmMain::mnuCustomize_Click() {
    ui::forms::get<frmCustomize>().Show(ui::Modal);
    ui::Release<frmCustomize>();
    RefreshToolbar();
}

void frmMain::mnuAbout_Click() {
    ui::forms::get<frmAbout>().Show(ui::Modal);
    RefreshToolbar();
}

void frmMain::mnuTopics_Click() {
    if (platform::Help* help = ui::runtime().help) help->showContents();
}

void frmMain::mnuHow_Click() {
    ShowHelpTopic(help_topic::HowVeltraneWorks);
}

void frmMain::mnuProblems_Click() {
    ShowHelpTopic(help_topic::SolvingProblems);
}

void frmMain::mnuWeb_Click() {
    OpenUrl(WebSiteAddress());
}

void frmMain::mnuUpdate_Click() {
    OpenUrl(UpdateAddress());
}

void frmMain::mnuAS_Click() {
    ShowHelpTopic(help_topic::MidiEditor);  // which MIDI editors there are and how to install one
}

void frmMain::Toolbar_ButtonClick(ui::ToolbarButton& Button) {
    const std::string& key = Button.Key();
    if (key == "New") {
        mnuNew_Click();
    } else if (key == "Open") {
        mnuOpen_Click();
    } else if (key == "Save") {
        mnuSave_Click();
    } else if (key == "Edit Project") {
        mnuProject_Click();
    } else if (key == "Recognize") {
        mnuRecognize_Click();
    } else if (key == "SyncPlay") {
        mnuPlayer_Click();
    } else if (key == "Options") {
        mnuCustomize_Click();
    } else if (key == "Help") {
        mnuTopics_Click();
    }
}

void frmMain::Image_Click() {
    if (mnuProject.Enabled())
        mnuProject_Click();
    else
        mnuNew_Click();
}

}  // namespace velt::desk

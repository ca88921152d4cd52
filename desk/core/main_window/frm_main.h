// The main window: menus, toolbar, status bar, the recent-project list of the File menu and the
// welcome picture. Loading it starts the interactive program (splash, editor link, settings,
// start project, wizard); unloading it saves the settings and ends the program.
//
// Other windows reach it with LoadedMainForm(), which never loads it (a command-line conversion
// runs without it); MainForm() loads it on first use.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "desk/core/recognize.h"
#include "desk/ui/ui.h"

class QObject;

namespace velt::desk {

class frmMain : public ui::Form {
  public:
    frmMain();
    ~frmMain() override;

    // File menu; mnuFileArray(0) is the separator above the recent projects 1..6.
    ui::MenuItem mnuFile{this, "mnuFile"};
    ui::MenuItem mnuNew{this, "mnuNew", &mnuFile};
    ui::MenuItem mnuOpen{this, "mnuOpen", &mnuFile};
    ui::MenuItem mnuFileBar1{this, "mnuFileBar1", &mnuFile};
    ui::MenuItem mnuSave{this, "mnuSave", &mnuFile};
    ui::MenuItem mnuSaveAs{this, "mnuSaveAs", &mnuFile};
    ui::ControlArray<ui::MenuItem> mnuFileArray{
        this, "mnuFileArray", {0, 1, 2, 3, 4, 5, 6}, &mnuFile};
    ui::MenuItem mnuFileBar2{this, "mnuFileBar2", &mnuFile};
    ui::MenuItem mnuExit{this, "mnuExit", &mnuFile};
    ui::MenuItem mnuEdit{this, "mnuEdit"};
    ui::MenuItem mnuProject{this, "mnuProject", &mnuEdit};
    ui::MenuItem mnuTools{this, "mnuTools"};
    ui::MenuItem mnuRecognize{this, "mnuRecognize", &mnuTools};
    ui::MenuItem mnuPlayer{this, "mnuPlayer", &mnuTools};
    ui::MenuItem mnuCustomize{this, "mnuCustomize", &mnuTools};
    ui::MenuItem mnuHelp{this, "mnuHelp"};
    ui::MenuItem mnuTopics{this, "mnuTopics", &mnuHelp};
    ui::MenuItem mnuHow{this, "mnuHow", &mnuHelp};
    ui::MenuItem mnuProblems{this, "mnuProblems", &mnuHelp};
    ui::MenuItem mnuHelpBar1{this, "mnuHelpBar1", &mnuHelp};
    ui::MenuItem mnuWeb{this, "mnuWeb", &mnuHelp};
    ui::MenuItem mnuUpdate{this, "mnuUpdate", &mnuHelp};
    ui::MenuItem mnuAS{this, "mnuAS", &mnuHelp};
    ui::MenuItem mnuHelpBar2{this, "mnuHelpBar2", &mnuHelp};
    ui::MenuItem mnuAbout{this, "mnuAbout", &mnuHelp};

    ui::ImageList picMenu{this, "picMenu"};  // the eight command pictures
    ui::Toolbar Toolbar{this, "Toolbar"};
    ui::Image Image{this, "Image"};
    ui::CommonDialog cdlFile{this, "cdlFile"};
    ui::StatusBar sbStatusBar{this, "sbStatusBar"};

    // Commands (also called by the results window, the Convert command and the start).
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuExit_Click();
    void mnuFileArray_Click(int Index);
    void mnuProject_Click();
    void mnuRecognize_Click();
    void mnuPlayer_Click();
    void mnuCustomize_Click();
    void mnuTopics_Click();
    void mnuHow_Click();
    void mnuProblems_Click();
    void mnuWeb_Click();
    void mnuUpdate_Click();
    void mnuAS_Click();
    void mnuAbout_Click();
    void Toolbar_ButtonClick(ui::ToolbarButton& Button);
    void Image_Click();

    // Puts ProjectFile at the top of the recent list (nothing when it is empty).
    void UpdateMenu();
    // The path a recent item names (its caption without "&n ").
    std::string RecentPath(int Index);
    int RecentCount = 0;

    // What the Convert command runs; tests put a counter in its place.
    std::function<void()> recognize = RunRecognize;

    // The outside MIDI editor link, once per user (settings "Path"/AS).
    void ASLinkAndInstall();

    // After a modal window: the main window in front, the toolbar repainted.
    void BringToFront();
    void RefreshToolbar();

    // The web addresses of the Help menu.
    static std::string WebSiteAddress();
    static std::string UpdateAddress();

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    void wireHooks();
    void layoutClient();
    void openFollowUp(const std::string& oldProjectFile);
    std::string proposedName() const;  // ProjectFile without its leading ProjectFolder part
    std::unique_ptr<QObject> resizeWatch_;
};

// The main window, loaded on first use.
frmMain& MainForm();
// The main window when it is loaded, else nullptr (never loads it).
frmMain* LoadedMainForm();

}  // namespace velt::desk

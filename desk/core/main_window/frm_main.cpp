// The main window's layout, its wiring and the hooks through which the project procedures reach
// it. Its start and shutdown are in main_window_start.cpp, its commands in main_commands.cpp.
#include "desk/core/main_window/frm_main.h"

#include <QEvent>
#include <QStatusBar>
#include <QToolBar>

#include "desk/core/global.h"
#include "desk/core/main_window/icons.h"
#include "desk/core/run/other_windows.h"

namespace velt::desk {

namespace {

// Keeps the welcome picture filling the room between the toolbar and the status bar.
class ResizeWatch : public QObject {
  public:
    explicit ResizeWatch(std::function<void()> onResize) : onResize_(std::move(onResize)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) onResize_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onResize_;
};

constexpr double kWidth = 9600, kHeight = 6300;

}  // namespace

frmMain::frmMain() : Form("frmMain") {
    mnuNew.Click = [this] { mnuNew_Click(); };
    mnuOpen.Click = [this] { mnuOpen_Click(); };
    mnuSave.Click = [this] { mnuSave_Click(); };
    mnuSaveAs.Click = [this] { mnuSaveAs_Click(); };
    mnuExit.Click = [this] { mnuExit_Click(); };
    mnuFileArray.on(&ui::MenuItem::Click, [this](int Index) { mnuFileArray_Click(Index); });
    mnuProject.Click = [this] { mnuProject_Click(); };
    mnuRecognize.Click = [this] { mnuRecognize_Click(); };
    mnuPlayer.Click = [this] { mnuPlayer_Click(); };
    mnuCustomize.Click = [this] { mnuCustomize_Click(); };
    mnuTopics.Click = [this] { mnuTopics_Click(); };
    mnuHow.Click = [this] { mnuHow_Click(); };
    mnuProblems.Click = [this] { mnuProblems_Click(); };
    mnuWeb.Click = [this] { mnuWeb_Click(); };
    mnuUpdate.Click = [this] { mnuUpdate_Click(); };
    mnuAS.Click = [this] { mnuAS_Click(); };
    mnuAbout.Click = [this] { mnuAbout_Click(); };
    Toolbar.ButtonClick = [this](ui::ToolbarButton& b) { Toolbar_ButtonClick(b); };
    Image.Click = [this] { Image_Click(); };
}

frmMain::~frmMain() = default;

void frmMain::design() {
    setCaption(ProgramTitle);
    Move((ui::Screen::Width() - kWidth) / 2, (ui::Screen::Height() - kHeight) / 3, kWidth, kHeight);
    setStartUpPosition(0);  // placed above: a little above the middle of the screen

    mnuFile.setCaption("&File");
    mnuNew.setCaption("&New Project Wizard...");
    mnuOpen.setCaption("&Open Project...");
    mnuFileBar1.setCaption("-");
    mnuSave.setCaption("&Save Project");
    mnuSaveAs.setCaption("Save Project &As...");
    mnuFileArray(0).setCaption("-");
    for (int i = 0; i <= 6; ++i) mnuFileArray(i).setVisible(false);
    mnuFileBar2.setCaption("-");
    mnuExit.setCaption("E&xit");
    mnuEdit.setCaption("&Edit");
    mnuProject.setCaption("&Project...");
    mnuTools.setCaption("&Tools");
    mnuRecognize.setCaption("&Convert");
    mnuPlayer.setCaption("S&yncPlay...");
    mnuCustomize.setCaption("&Options...");
    mnuHelp.setCaption("&Help");
    mnuTopics.setCaption("Veltrane &Help Topics");
    mnuHow.setCaption("How &Do I...");
    mnuProblems.setCaption("So&lutions to General Problems...");
    mnuHelpBar1.setCaption("-");
    mnuWeb.setCaption("&Visit Web Site...");
    mnuUpdate.setCaption("Check for &Updates...");
    mnuAS.setCaption("Install a &MIDI Editor...");
    mnuHelpBar2.setCaption("-");
    mnuAbout.setCaption("&About Veltrane");

    // Until a project is open, only New and Open make sense.
    for (ui::MenuItem* item : {&mnuSave, &mnuSaveAs, &mnuProject, &mnuRecognize, &mnuPlayer})
        item->setEnabled(false);

    const Icon order[] = {Icon::New,     Icon::Open,     Icon::Save,    Icon::EditProject,
                          Icon::Convert, Icon::SyncPlay, Icon::Options, Icon::Help};
    const char* keys[] = {"new", "open", "save", "edit", "convert", "syncplay", "options", "help"};
    for (int i = 0; i < 8; ++i) picMenu.Add(keys[i], CommandIcon(order[i]));
    Toolbar.setImageList(picMenu);
    Toolbar.AddButton("New", ui::ToolbarButton::Default, "Start New Project Wizard", 1);
    Toolbar.AddButton("Open", ui::ToolbarButton::Default, "Open Project", 2);
    Toolbar.AddButton("Save", ui::ToolbarButton::Default, "Save Project", 3);
    Toolbar.AddButton("", ui::ToolbarButton::Separator);
    Toolbar.AddButton("Edit Project", ui::ToolbarButton::Default, "Edit Project Settings", 4);
    Toolbar.AddButton("", ui::ToolbarButton::Separator);
    Toolbar.AddButton("Recognize", ui::ToolbarButton::Default, "Convert Now", 5);
    Toolbar.AddButton("SyncPlay", ui::ToolbarButton::Default, "Open ZeruZirado", 6);
    Toolbar.AddButton("Options", ui::ToolbarButton::Default, "Set Options", 7);
    Toolbar.AddButton("Help", ui::ToolbarButton::Default, "Get Help", 8);
    for (int i : {3, 5, 7, 8}) Toolbar.Buttons(i).setEnabled(false);
    if (auto* bar = qobject_cast<QToolBar*>(Toolbar.widget())) {
        bar->setIconSize(QSize(24, 24));
        bar->setStyleSheet("QToolBar { spacing: 4px; padding: 3px 6px; }");
    }

    Image.setToolTipText("Click here to create or edit a project");
    cdlFile.setFilter("Projects (*.vpr)|*.vpr|All Files (*.*)|*.*");
    cdlFile.setDefaultExt("*.vpr");
    sbStatusBar.setText("Ready");

    if (clientArea() != nullptr) {
        resizeWatch_ = std::make_unique<ResizeWatch>([this] { layoutClient(); });
        clientArea()->installEventFilter(resizeWatch_.get());
    }
    layoutClient();
}

void frmMain::layoutClient() {
    if (!loaded() || clientArea() == nullptr) return;
    int top = Toolbar.widget() ? Toolbar.widget()->sizeHint().height() : 0;
    int bottom = sbStatusBar.widget() ? sbStatusBar.widget()->sizeHint().height() : 0;
    int w = clientArea()->width();
    int h = std::max(1, clientArea()->height() - top - bottom);
    if (std::abs(Image.Width() - ui::toTwips(w)) < 1 &&
        std::abs(Image.Height() - ui::toTwips(h)) < 1)
        return;
    Image.Move(0, ui::toTwips(top), ui::toTwips(w), ui::toTwips(h));
    Image.setPicture(WelcomePicture(std::max(w, 1), h));
}

void frmMain::wireHooks() {
    MainWindowHooks& hooks = MainWindow();
    hooks.setCaption = [this](const std::string& caption) { setCaption(caption); };
    hooks.updateMenu = [this] { UpdateMenu(); };
    hooks.enableSave = [this](bool on) {
        mnuSave.setEnabled(on);
        mnuSaveAs.setEnabled(on);
        Toolbar.Buttons(3).setEnabled(on);
    };
    hooks.enablePlayer = [this](bool on) {
        Toolbar.Buttons(8).setEnabled(on);
        mnuPlayer.setEnabled(on);
    };
    hooks.enableRecognize = [this](bool on) {
        Toolbar.Buttons(7).setEnabled(on);
        mnuRecognize.setEnabled(on);
    };
    hooks.runSaveCommand = [this] { mnuSave_Click(); };
    // The conversion windows' reach into this window.
    hooks.caption = [this] { return Caption(); };
    hooks.statusText = [this] { return sbStatusBar.Text(); };
    hooks.setStatusText = [this](const std::string& text) { sbStatusBar.setText(text); };
    hooks.bringToFront = [this] {
        BringToFront();
        RefreshToolbar();
    };
    hooks.closeProgram = [this] { unload(); };
    hooks.runNewCommand = [this] { mnuNew_Click(); };
    hooks.runPlayerCommand = [this] { mnuPlayer_Click(); };
    hooks.runProjectCommand = [this] { mnuProject_Click(); };
    hooks.runSaveAsCommand = [this] { mnuSaveAs_Click(); };
    hooks.showLiveWindow = ShowLiveWindow;
    hooks.chooseMidiEditor = ChooseMidiEditor;
}

void frmMain::BringToFront() {
    if (window() != nullptr && Visible()) {
        window()->raise();
        window()->activateWindow();
    }
}

void frmMain::RefreshToolbar() {
    Toolbar.Refresh();
}

frmMain& MainForm() {
    return ui::forms::get<frmMain>();
}

frmMain* LoadedMainForm() {
    frmMain* f = ui::forms::existing<frmMain>();
    return f != nullptr && f->loaded() ? f : nullptr;
}

}  // namespace velt::desk

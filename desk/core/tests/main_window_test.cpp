// The main window's start and shutdown: settings store (first start, an older version's keys),
// the recent-project list, the save question at closing, the splash and about box, and the link
// to the outside MIDI editor.
#include <filesystem>

#include "desk/core/about/frm_about.h"
#include "desk/core/project/project_file.h"
#include "desk/settings/frm_properties.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

std::string recentPath(frmMain& f, int i) {
    return f.RecentPath(i);
}

TEST_F(MainWindowTest, FirstStartWithAnEmptyStore) {
    const std::string sample = G().UserFolder + "Samples/Pathetique Sonata.vpr";
    test::writeFile(G().TempFolder + "/~temp.wav", "old take");
    // No editor registered or installed: the offer to install one, declined.
    test::ScopedEnv path("PATH", folder("no-programs"));
    auto offer = Box(
        "Veltrane is compatible with all standard MIDI programs, including the MIDI editing and "
        "notation programs Rosegarden and MuseScore, which you can install on this computer.  "
        "Would you like to install one of them now?  Note: Veltrane works regardless of whether "
        "you install a MIDI editor or not.",
        "Optional MIDI Editor", 32);
    offer.buttons = ui::YesNo;
    ui.expectBox(offer).answer(ui::No);
    ui.expectBox(Box("You can install a MIDI editor at any time; Help | Install a MIDI Editor "
                     "tells how.",
                     "Veltrane Rizaduzede", 0))
        .answer(ui::OK);
    cancelWizard();
    frmMain& f = MainForm();

    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.Caption(), ProgramTitle);
    EXPECT_EQ(f.RecentCount, 1);
    EXPECT_TRUE(f.mnuFileArray(0).Visible());
    EXPECT_EQ(f.mnuFileArray(1).Caption(), "&1 " + sample);
    EXPECT_FALSE(f.mnuFileArray(2).Visible());
    EXPECT_EQ(store().getSetting("Recent File List", "File-1"), sample);  // stored at once
    EXPECT_EQ(store().getSetting("Path", "AS"), "1");
    Global& g = G();
    EXPECT_EQ(g.ProjectFolder, g.UserFolder + "Samples/");
    EXPECT_EQ(g.AudioFolder, g.MusicFolder);
    EXPECT_EQ(g.MidiFolder, g.MusicFolder);
    EXPECT_EQ(std::make_tuple(g.UserLevel, g.PlayEdit, g.Transcribe, g.AutoPlay, g.Duration,
                              g.Velocity, g.Volume, g.MidiDevice, g.NoteValue, g.AudioDevice),
              std::make_tuple(1, 1, 1, 0, 750, 127, 63, 0, 0, 0));
    EXPECT_FALSE(g.MidiEditor.empty());  // a default tool
    EXPECT_TRUE(g.ProjectFile.empty());
    EXPECT_FALSE(g.WizardRunning);
    // The start opened the help contents and then the wizard (cancelled).
    ASSERT_EQ(ui.help().calls.size(), 1u);
    EXPECT_TRUE(ui.help().calls[0].contents);
    EXPECT_FALSE(f.mnuProject.Enabled());
    EXPECT_FALSE(f.mnuRecognize.Enabled());
    EXPECT_FALSE(f.mnuSave.Enabled());

    f.mnuExit_Click();
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(fs::exists(G().TempFolder + "/~temp.wav"));
    platform::SettingsStore s = store();
    EXPECT_EQ(s.getSetting("Custom", "Duration"), "750");
    EXPECT_EQ(s.getSetting("Custom", "AudioDevice"), "0");
    EXPECT_EQ(s.getSetting("Path", "Project"), g.UserFolder + "Samples/");
    EXPECT_EQ(s.getSetting("Version", "Major"), "7");
    EXPECT_EQ(s.getSetting("Version", "Minor"), "2");
    EXPECT_EQ(s.getSetting("Recent File List", "File-1"), sample);
    EXPECT_EQ(s.getSetting("Recent File List", "File-2", "none"), "none");
}

// The toolbar's positions matter: the project procedures switch buttons 3, 5, 7 and 8.
TEST_F(MainWindowTest, ToolbarOrderAndMenuPictures) {
    frmMain& f = start();
    const char* keys[] = {"New", "Open",      "Save",     "",        "Edit Project",
                          "",    "Recognize", "SyncPlay", "Options", "Help"};
    ASSERT_EQ(f.Toolbar.ButtonCount(), 10);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(f.Toolbar.Buttons(i).Key(), keys[i - 1]) << i;
        EXPECT_EQ(f.Toolbar.Buttons(i).Style() == ui::ToolbarButton::Separator, i == 4 || i == 6);
    }
    MainWindow().enableSave(true);
    MainWindow().enablePlayer(true);
    MainWindow().enableRecognize(true);
    for (int i : {3, 7, 8}) EXPECT_TRUE(f.Toolbar.Buttons(i).Enabled()) << i;
    EXPECT_TRUE(f.mnuSaveAs.Enabled() && f.mnuPlayer.Enabled() && f.mnuRecognize.Enabled());
    ui::MenuItem* pictured[] = {&f.mnuNew,       &f.mnuOpen,   &f.mnuSave,      &f.mnuProject,
                                &f.mnuRecognize, &f.mnuPlayer, &f.mnuCustomize, &f.mnuTopics};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(pictured[i]->getPicture() == f.picMenu.ListImages(i + 1).picture) << i;
    EXPECT_TRUE(f.mnuExit.getPicture().empty());
}

TEST_F(MainWindowTest, AnOlderVersionsKeysAreReadAndWrittenBackUnderTheNewNames) {
    const std::string editor = (dir / "wave-editor").string();
    test::writeFile(editor, "#!/bin/sh\n");
    fs::permissions(editor, fs::perms::owner_all);
    platform::SettingsStore s = store();
    s.saveSetting("Version", "Major", "6");
    s.saveSetting("Custom", "WaveEditor", editor);
    s.saveSetting("Custom", "WaveDevice", "3");
    s.saveSetting("Custom", "AudioDevice", "9");  // a newer name is not read for an old store
    s.saveSetting("Path", "Wave", "/old/waves/");
    s.saveSetting("Custom", "Duration", "500");
    s.saveSetting("Custom", "UserLevel", "3");
    s.saveSetting("Path", "Project", "/projects/");

    frmMain& f = start();
    Global& g = G();
    EXPECT_EQ(g.AudioEditor, editor);
    EXPECT_EQ(g.AudioDevice, 3);
    EXPECT_EQ(g.AudioFolder, "/old/waves/");
    EXPECT_EQ(g.Duration, 500);
    EXPECT_EQ(g.UserLevel, 3);
    EXPECT_EQ(g.ProjectFolder, "/projects/");

    f.mnuExit_Click();
    s = store();
    EXPECT_EQ(s.getSetting("Custom", "AudioEditor"), editor);
    EXPECT_EQ(s.getSetting("Custom", "AudioDevice"), "3");
    EXPECT_EQ(s.getSetting("Path", "Audio"), "/old/waves/");
    EXPECT_EQ(s.getSetting("Version", "Major"), "7");

    // From now on the new names count.
    s.saveSetting("Custom", "WaveDevice", "5");
    start();
    EXPECT_EQ(G().AudioDevice, 3);
}

TEST_F(MainWindowTest, TheRecentListKeepsSixNewestFirst) {
    platform::SettingsStore s = store();
    for (int i = 1; i <= 6; ++i)
        s.saveSetting("Recent File List", "File-" + std::to_string(i), "/p/" + std::to_string(i));
    frmMain& f = start();
    ASSERT_EQ(f.RecentCount, 6);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(f.mnuFileArray(i).Caption(),
                  "&" + std::to_string(i) + " /p/" + std::to_string(i));

    auto open = [&](const std::string& path) {
        G().ProjectFile = path;
        f.UpdateMenu();
        std::vector<std::string> list;
        for (int i = 1; i <= f.RecentCount; ++i) list.push_back(recentPath(f, i));
        return list;
    };
    using L = std::vector<std::string>;
    EXPECT_EQ(open("/p/7"), (L{"/p/7", "/p/1", "/p/2", "/p/3", "/p/4", "/p/5"}));  // 6 drops out
    EXPECT_EQ(open("/p/2"), (L{"/p/2", "/p/7", "/p/1", "/p/3", "/p/4", "/p/5"}));  // third to top
    EXPECT_EQ(open("/P/2"), (L{"/P/2", "/p/2", "/p/7", "/p/1", "/p/3", "/p/4"}));  // case counts
    EXPECT_EQ(open(""), (L{"/P/2", "/p/2", "/p/7", "/p/1", "/p/3", "/p/4"}));      // nothing

    G().ProjectFile.clear();
    f.mnuExit_Click();
    s = store();
    EXPECT_EQ(s.getSetting("Recent File List", "File-1"), "/P/2");
    EXPECT_EQ(s.getSetting("Recent File List", "File-6"), "/p/4");
}

TEST_F(MainWindowTest, CancelInTheSaveQuestionKeepsTheWindowAndTheStore) {
    frmMain& f = start();
    G().Duration = 99;
    G().ProjectChanged = true;
    const std::string before = test::readFile(store().file());
    ui.expectBox(Box("Save project changes?", "Veltrane Rizaduzede", 32)).answer(ui::Cancel);
    ui.user().closeBox(f);
    EXPECT_TRUE(f.loaded());
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(programEnds, 0);
    EXPECT_EQ(test::readFile(store().file()), before);

    ui.expectBox(Box("Save project changes?", "Veltrane Rizaduzede", 32)).answer(ui::No);
    ui.user().menu(f.mnuExit);
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(store().getSetting("Custom", "Duration"), "99");
}

TEST_F(MainWindowTest, TheSplashClosesByItselfAndTheAboutBoxOnAnyKey) {
    frmMain& f = start();
    auto* splash = ui::forms::existing<frmAbout>();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->Visible());
    EXPECT_EQ(splash->Height(), 4500 - 550);  // no OK strip
    EXPECT_TRUE(splash->tmrSplash.Enabled());
    EXPECT_FALSE(G().SplashMode);
    ui.advance(frmAbout::SplashInterval - 1);
    EXPECT_TRUE(splash->loaded());
    ui.advance(1);
    EXPECT_FALSE(splash->loaded());

    ui.onModal<frmAbout>([](frmAbout& a, ui::test::User& u) {
        EXPECT_EQ(a.Caption(), "About Veltrane Rizaduzede MP3 to MIDI Converter");
        EXPECT_EQ(a.lblTitle.Caption(), "Veltrane Rizaduzede MP3 to MIDI Converter");
        EXPECT_EQ(a.Height(), 4500);
        EXPECT_FALSE(a.tmrSplash.Enabled());
        u.type(a.cmdOK, "x");
    });
    ui.user().menu(f.mnuAbout);
    EXPECT_FALSE(ui::isLoaded<frmAbout>());
    ui.onModal<frmAbout>([](frmAbout& a, ui::test::User& u) { u.click(a.lblAbout); });
    ui.user().menu(f.mnuAbout);
    EXPECT_FALSE(ui::isLoaded<frmAbout>());
}

TEST_F(MainWindowTest, ACommandLineProjectOpensInTheEditorWithoutTheWizard) {
    G().ProjectFolder = folder("projects");
    G().AudioFiles.redim(1);
    G().MidiFiles.redim(1);
    G().AudioFileCount = 1;
    G().AudioFiles(1) = wave("song.wav");
    G().ProjectFile = (dir / "projects" / "Song.vpr").string();
    ASSERT_TRUE(SaveProfile());
    const std::string project = G().ProjectFile;
    ResetGlobal();
    SetUp();
    G().CmdLineProject = project;
    store().saveSetting("Path", "AS", "1");
    bool edited = false;
    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        edited = true;
        EXPECT_EQ(p.Caption(), "Edit Project - Song");
        u.click(p.cmdCancel);
    });
    frmMain& f = MainForm();
    EXPECT_TRUE(edited);
    EXPECT_EQ(G().ProjectFile, project);
    EXPECT_EQ(f.RecentPath(1), project);
    EXPECT_TRUE(f.mnuProject.Enabled());
    EXPECT_TRUE(f.Toolbar.Buttons("Edit Project").Enabled());
    EXPECT_TRUE(f.mnuRecognize.Enabled());  // the editor found the audio file convertible
    EXPECT_TRUE(ui.help().calls.empty());
}

// The editor link, once per user: a registered editor, else Rosegarden or MuseScore on PATH,
// else the offer to install one; either answer settles it.
TEST_F(MainWindowTest, TheEditorLinkAsksOnceAndTakesAnInstalledEditor) {
    const std::string bin = folder("bin");
    test::ScopedEnv path("PATH", bin);
    frmMain& f = start();  // settled: no look-up, no question
    EXPECT_EQ(registry.queries(), 0);
    auto s = [&] { return store(); };
    auto program = [&](const std::string& name) {
        test::writeFile(bin + name, "#!/bin/sh\n");
        fs::permissions(bin + name, fs::perms::owner_all);
        return bin + name;
    };

    // Registered: no question; the path becomes the MIDI editor and the link is settled.
    s().saveSetting("Path", "AS", "0");
    registry.set(platform::RegistryRoot::LocalMachine, kEditorAppPathKey, "",
                 {platform::RegistryType::String, std::string("/opt/as/astudio\0junk", 20)});
    f.ASLinkAndInstall();
    EXPECT_EQ(s().getSetting("Custom", "MidiEditor"), "/opt/as/astudio");
    EXPECT_EQ(s().getSetting("Path", "AS"), "1");
    registry = platform::RegistryDouble{};

    // Nothing installed. No: settled, the stored editor kept. Yes: how to install; an editor
    // installed meanwhile is linked, none found still settles it. Never asked twice.
    struct Case {
        int answer;
        const char* installed;  // by the user while the box is open
        const char* editor;     // stored afterwards
    } cases[] = {{ui::No, "", "/usr/bin/kept"},
                 {ui::Yes, "", "/usr/bin/kept"},
                 {ui::Yes, "musescore3", "musescore3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.answer) + " " + c.installed);
        s().saveSetting("Path", "AS", "0");
        s().saveSetting("Custom", "MidiEditor", "/usr/bin/kept");
        ui.expectBox({.textStartsWith = std::string("Veltrane is compatible"),
                      .title = std::string("Optional MIDI Editor")})
            .answer(c.answer);
        if (c.answer == ui::No) {
            ui.expectBox({.textStartsWith = std::string("You can install a MIDI editor")})
                .answer(ui::OK);
        } else {
            auto howTo =
                Box("Install Rosegarden or MuseScore with your system's software manager, "
                    "or in a terminal:\n\nsudo apt install rosegarden\nor\nsudo apt "
                    "install musescore3\n\nClick OK after the MIDI editor has finished "
                    "installing to continue.",
                    "Veltrane Rizaduzede", 64);
            std::string installed = c.installed;
            ui.expectBox(howTo).answer(ui::OK).meanwhile([&, installed] {
                if (!installed.empty()) program(installed);
            });
        }
        f.ASLinkAndInstall();
        EXPECT_EQ(s().getSetting("Path", "AS"), "1");
        const std::string editor = *c.installed ? bin + c.editor : c.editor;
        EXPECT_EQ(s().getSetting("Custom", "MidiEditor"), editor);
        EXPECT_EQ(f.Caption(), "Veltrane Rizaduzede");
        f.ASLinkAndInstall();  // settled: no box
        fs::remove(bin + "musescore3");
    }
    EXPECT_TRUE(shell.calls.empty());  // nothing is downloaded or started

    // Installed on PATH: linked without a question, Rosegarden first. An editor the user
    // chose before is kept; the desktop's opener is no choice.
    program("musescore");
    const std::string rosegarden = program("rosegarden");
    const std::string opener = program("xdg-open");
    const std::string own = program("my-editor");
    for (const std::string& before : {std::string("/gone/editor"), opener, own}) {
        SCOPED_TRACE(before);
        s().saveSetting("Path", "AS", "0");
        s().saveSetting("Custom", "MidiEditor", before);
        f.ASLinkAndInstall();
        EXPECT_EQ(s().getSetting("Path", "AS"), "1");
        EXPECT_EQ(s().getSetting("Custom", "MidiEditor"), before == own ? own : rosegarden);
    }
}

TEST(EditorLink, RegistryValuesAsText) {
    platform::RegistryDouble reg;
    UseRegistry(&reg);
    const std::string key = "SOFTWARE\\X";
    reg.set(platform::RegistryRoot::LocalMachine, key, "s",
            {platform::RegistryType::String, std::string("abc\0def", 7)});
    reg.set(platform::RegistryRoot::LocalMachine, key, "d",
            {platform::RegistryType::Dword, std::string("\x2a\x01\0\0", 4)});
    reg.set(platform::RegistryRoot::LocalMachine, key, "o", {platform::RegistryType::Other, "x"});
    std::string text = "unchanged";
    EXPECT_EQ(QueryRegString(key, "missing", text), 2);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(QueryRegString(key, "s", text), 0);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(QueryRegString(key, "d", text), 0);
    EXPECT_EQ(text, "298");
    EXPECT_EQ(QueryRegString(key, "o", text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(GetAppPath(), "");  // nothing registered
    EXPECT_EQ(TrimNul(std::string("a\0b", 3)), "a");
    EXPECT_EQ(TrimNul("plain"), "plain");
    UseRegistry(nullptr);
    EXPECT_EQ(GetAppPath(), "");  // the system's finds nothing on Linux
}

}  // namespace
}  // namespace velt::desk

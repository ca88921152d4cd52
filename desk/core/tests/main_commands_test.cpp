// The main window's commands with the stand-in windows scripted: New, Open, the recent list,
// Save and Save As, Edit Project, the toolbar, the help and web items and the picture. The
// Convert command is counted, not run.
#include <QWindow>
#include <filesystem>
#include <functional>

#include "audio_input_double.h"
#include "desk/core/options/frm_customize.h"
#include "desk/core/project/project_file.h"
#include "desk/media/frm_player.h"
#include "desk/settings/frm_properties.h"
#include "installed_devices.h"
#include "main_window_fixture.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/clock_wave_out.h"
#include "single_audio_file.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;
using Kind = platform::RecordingShell::Call::Kind;

class MainCommands : public MainWindowTest {
  protected:
    frmMain& main() {
        frmMain& f = start();
        f.recognize = [this] {
            ++converts;
            wizardFlagAtConvert = G().WizardRunning;
            G().WizardRunning = false;
        };
        return f;
    }
    // A project file with one audio file (or none: a live project).
    std::string project(const std::string& name, const std::string& audio) {
        fs::create_directories(dir / "projects");
        std::string path = (dir / "projects" / name).string();
        test::writeFile(path, "[audio]\nAudioFile=" + audio +
                                  "\n[midi]\nMidiFile=" + (audio.empty() ? "" : audio + ".mid") +
                                  "\n[other]\nVprFormat=3\n");
        return path;
    }
    void editorCloses() {
        ui.onModal<frmProperties>(
            [](frmProperties& p, ui::test::User& u) { u.click(p.cmdCancel); });
    }

    int converts = 0;
    bool wizardFlagAtConvert = false;
};

TEST_F(MainCommands, NewRunsTheWizardAndConvertsWhatItFinished) {
    frmMain& f = main();
    const std::string take = wave("take.wav");
    // The instrument list beside the program, as installed.
    for (const char* file : {"filter.txt", "percussion.txt"})
        fs::copy_file(test::sourceDir() / "data" / file, fs::path(G().InstallFolder) / file);
    ui.onModal<frmWizard>([&](frmWizard& w, ui::test::User& u) {
        EXPECT_TRUE(G().WizardRunning);
        EXPECT_FALSE(f.mnuProject.Enabled());
        EXPECT_FALSE(f.Toolbar.Buttons("Edit Project").Enabled());
        // The main road: an audio file, then Next with the default choices up to Finish.
        u.click(w.optWave(2));
        ui.expectFileDialog({.title = "Select Audio File", .flags = 4}).choose(take);
        std::vector<WizardStep> steps;
        for (int i = 0; i < 6 && w.cmdNav(3).Enabled(); ++i) {
            u.click(w.cmdNav(3));
            steps.push_back(w.CurrentStep);
        }
        EXPECT_EQ(steps,
                  (std::vector<WizardStep>{WizardStep::AudioFile, WizardStep::WhatInstruments,
                                           WizardStep::OutputPatch, WizardStep::TimingSetting,
                                           WizardStep::MidiFileName, WizardStep::Finish}));
        u.click(w.cmdNav(4));
    });
    ui.user().toolbar(f.Toolbar, "New");
    EXPECT_EQ(converts, 1);
    EXPECT_TRUE(wizardFlagAtConvert);  // converted without the replacement question
    EXPECT_EQ(ui::forms::existing<frmWizard>(), nullptr);  // forgotten
    Global& g = G();
    EXPECT_EQ(g.AudioFiles(1), take);
    EXPECT_EQ(g.MidiFiles(1), (dir / "take.mid").string());
    EXPECT_TRUE(f.mnuProject.Enabled());
    EXPECT_TRUE(f.mnuRecognize.Enabled());
    EXPECT_TRUE(f.mnuPlayer.Enabled());
    EXPECT_TRUE(f.mnuSave.Enabled());

    // Changes and Cancel in the save question: no wizard. Cancelling the wizard: no conversion.
    ui.expectBox(Box("Save project changes?", "Veltrane Rizaduzede", 32)).answer(ui::Cancel);
    ui.user().menu(f.mnuNew);
    EXPECT_EQ(g.AudioFiles(1), take);
    ui.expectBox(Box("Save project changes?", "Veltrane Rizaduzede", 32)).answer(ui::No);
    cancelWizard();
    ui.user().menu(f.mnuNew);
    EXPECT_EQ(converts, 1);
    EXPECT_EQ(g.AudioFileCount, 0);
    EXPECT_FALSE(g.WizardRunning);
    EXPECT_FALSE(f.mnuRecognize.Enabled());
}

TEST_F(MainCommands, OpeningLeadsOnToTheEditorOrToALiveConversion) {
    frmMain& f = main();
    const std::string song = project("song.vpr", wave("song.wav"));
    const std::string live = project("live.vpr", "");
    G().ProjectFolder = (dir / "projects").string() + "/";

    ui.expectFileDialog(
          {.title = "Open Project", .initDir = G().ProjectFolder, .fileName = "", .save = false})
        .cancel();
    ui.user().menu(f.mnuOpen);
    EXPECT_TRUE(G().ProjectFile.empty());

    ui.expectFileDialog({.flags = 0x1004}).choose(song);
    editorCloses();
    ui.user().toolbar(f.Toolbar, "Open");
    EXPECT_EQ(G().ProjectFile, song);
    EXPECT_TRUE(f.mnuProject.Enabled());
    EXPECT_EQ(f.RecentPath(1), song);
    EXPECT_EQ(converts, 0);

    // The open project again: read again, no follow-up.
    ui.expectFileDialog({.fileName = "song.vpr"}).choose(song);
    ui.user().menu(f.mnuOpen);

    // No audio file: a live project converts at once.
    ui.expectFileDialog({}).choose(live);
    ui.user().menu(f.mnuOpen);
    EXPECT_EQ(converts, 1);

    // The recent list: another project opens with its follow-up; the open one does nothing,
    // not even the save question.
    ASSERT_EQ(f.RecentPath(2), song);
    editorCloses();
    ui.user().menu(f.mnuFileArray(2));
    EXPECT_EQ(G().ProjectFile, song);
    EXPECT_EQ(f.RecentPath(1), song);
    G().ProjectChanged = true;
    ui.user().menu(f.mnuFileArray(1));
    EXPECT_TRUE(G().ProjectChanged);
    // A recent project that is gone: OpenProfile says so and nothing changes.
    G().ProjectChanged = false;
    fs::remove(live);
    ASSERT_EQ(f.RecentPath(2), live);
    ui.expectBox(Box("The file '" + live + "' does not exist.", "Open Project", 16, 99))
        .answer(ui::OK);
    ui.user().menu(f.mnuFileArray(2));
    EXPECT_EQ(G().ProjectFile, song);
    EXPECT_EQ(converts, 1);
}

TEST_F(MainCommands, SaveAsWritesAndReadsBackTheProject) {
    frmMain& f = main();
    Global& g = G();
    g.ProjectFolder = folder("projects");
    UseSingleAudioFile(wave("Take 1.wav"));
    g.ProjectChanged = true;
    MainWindow().enableSave(true);

    // A new project's Save is Save As, proposing the audio file's name.
    const std::string target = (dir / "projects" / "Take 1.vpr").string();
    ui.expectFileDialog({.title = "Save Project As",
                         .flags = 0x806,
                         .initDir = g.ProjectFolder,
                         .fileName = "Take 1.vpr",
                         .defaultExt = ".vpr",
                         .save = true})
        .choose(target);
    ui.user().toolbar(f.Toolbar, "Save");
    ASSERT_TRUE(fs::exists(target));
    EXPECT_EQ(g.ProjectFile, target);
    EXPECT_EQ(g.AudioFiles(1), (dir / "Take 1.wav").string());
    EXPECT_FALSE(g.ProjectChanged);
    EXPECT_EQ(f.RecentPath(1), target);
    EXPECT_EQ(f.Caption(), ProgramTitle + " - Take 1");
    EXPECT_FALSE(f.mnuSave.Enabled());

    // Outside the project folder the proposal is the right-hand part of the length difference.
    g.ProjectFolder = "/x/y/";
    g.ProjectFile = "/a/b/c/song.vpr";
    ui.expectFileDialog({.fileName = "c/song.vpr"}).cancel();
    f.mnuSaveAs_Click();
    EXPECT_EQ(g.ProjectFile, "/a/b/c/song.vpr");

    // A save that fails keeps the project in memory instead of reading back what isn't there.
    g.ProjectFolder = (dir / "projects").string() + "/";
    g.ProjectChanged = true;
    fs::create_directories(dir / "projects" / "taken.vpr");  // a folder can't be replaced
    ui.expectFileDialog({}).choose((dir / "projects" / "taken.vpr").string());
    ui.expectBox({.textStartsWith = std::string("taken.vpr already exists.")}).answer(ui::Yes);
    ui.expectBox({.textStartsWith = std::string("Error saving project: "),
                  .title = std::string("Save Project")})
        .answer(ui::OK);
    f.mnuSaveAs_Click();
    EXPECT_EQ(g.AudioFiles(1), (dir / "Take 1.wav").string());
    EXPECT_TRUE(g.ProjectChanged);
    g.ProjectChanged = false;
}

// "Save changes?" answered Yes, then the save does not happen: a new project's Save As is
// cancelled, or a named project's folder is gone. Exit, New, Open and the recent list all stop
// there, and the edits stay.
TEST_F(MainCommands, ASaveThatDidNotHappenStopsTheCommandAndKeepsTheEdits) {
    frmMain& f = main();
    Global& g = G();
    const std::string other = project("other.vpr", "");
    const std::string take = wave("take.wav");
    const std::string gone = (dir / "gone" / "song.vpr").string();  // no such folder
    ASSERT_GE(f.RecentCount, 1);
    struct Command {
        const char* name;
        std::function<void()> run;
        bool opensFirst = false;  // Open asks for the project before the save question
    } commands[] = {
        {"Exit", [&] { ui.user().menu(f.mnuExit); }},
        {"frame", [&] { ui.user().closeBox(f); }},
        {"New", [&] { ui.user().toolbar(f.Toolbar, "New"); }},
        {"Open", [&] { ui.user().menu(f.mnuOpen); }, true},
        {"recent", [&] { ui.user().menu(f.mnuFileArray(1)); }},
    };
    for (bool named : {false, true}) {
        for (const Command& c : commands) {
            SCOPED_TRACE(std::string(c.name) + (named ? ", failed save" : ", Save As cancelled"));
            UseSingleAudioFile(take);
            g.ProjectFile = named ? gone : "";
            g.ProjectChanged = true;
            if (c.opensFirst) ui.expectFileDialog({.title = "Open Project"}).choose(other);
            if (named) {
                ui.expectBox(Box("The file '" + gone +
                                     "' has been changed.  Do you want to save these changes?",
                                 "Veltrane Rizaduzede", 32))
                    .answer(ui::Yes);
                ui.expectBox({.textStartsWith = std::string("Error saving project: "),
                              .title = std::string("Save Project")})
                    .answer(ui::OK);
            } else {
                ui.expectBox(Box("Save project changes?", "Veltrane Rizaduzede", 32))
                    .answer(ui::Yes);
                ui.expectFileDialog({.title = "Save Project As"}).cancel();
            }
            c.run();
            EXPECT_TRUE(f.loaded());
            EXPECT_TRUE(f.Visible());
            EXPECT_EQ(programEnds, 0);
            EXPECT_EQ(g.ProjectFile, named ? gone : "");
            EXPECT_TRUE(g.ProjectChanged);
            EXPECT_EQ(g.AudioFileCount, 1);
            EXPECT_EQ(g.AudioFiles(1), take);
            EXPECT_EQ(converts, 0);
        }
    }
    EXPECT_FALSE(fs::exists(dir / "gone"));
    g.ProjectChanged = false;
}

TEST_F(MainCommands, EditProjectAsksToConvertAfterAppliedChanges) {
    frmMain& f = main();
    Global& g = G();
    UseSingleAudioFile(wave("a.wav"));
    const std::string second = wave("b.wav");
    f.mnuProject.setEnabled(true);
    f.Toolbar.Buttons("Edit Project").setEnabled(true);
    CheckRecognize();
    const auto question =
        Box("You will need to regenerate the MIDI file for your Project Editor "
            "changes to take effect.  Convert now?",
            "Converter", 32);
    // One edit in each round: a second audio file from the browse button, then a typed polyphony.
    auto applyChange = [&](bool browse) {
        ui.onModal<frmProperties>([&, browse](frmProperties& p, ui::test::User& u) {
            if (browse) {
                ui.expectFileDialog({.title = "Select Audio File"}).choose(second);
                u.click(p.cmdWaveBrowse);
            } else {
                u.selectTab(p.tabProperties, 1);
                u.type(p.txtPitchMode, "4");
            }
            u.click(p.cmdOK);
        });
    };
    struct Case {
        int answer;
        int converts;
        bool browse;
    } cases[] = {{ui::No, 0, true}, {ui::Yes, 1, false}};
    for (const auto& c : cases) {
        applyChange(c.browse);
        ui.expectBox(question).answer(c.answer);
        ui.user().toolbar(f.Toolbar, "Edit Project");
        EXPECT_EQ(converts, c.converts);
        EXPECT_EQ(ui::forms::existing<frmProperties>(), nullptr);
    }
    ASSERT_EQ(g.AudioFileCount, 2);
    EXPECT_EQ(g.AudioFiles(2), second);
    EXPECT_EQ(g.MidiFiles(2), (dir / "b.mid").string());
    EXPECT_EQ(g.PitchMode, 4);
    EXPECT_TRUE(g.ProjectChanged);

    // Closed without applying: nothing asked.
    editorCloses();
    f.mnuProject_Click();
    EXPECT_EQ(converts, 1);

    // A live project converts at once after Apply.
    g.AudioFileCount = 0;
    g.AudioFiles.redim(0);
    g.AudioFileValid = true;
    ui.onModal<frmProperties>([](frmProperties& p, ui::test::User& u) {
        p.cmdApply_Click();
        u.click(p.cmdCancel);
    });
    f.mnuProject_Click();
    EXPECT_EQ(converts, 2);
    g.ProjectChanged = false;
}

TEST_F(MainCommands, ToolbarHelpWebAndPicture) {
    test::InstalledDevices<platform::midi_out::RecordingMidiOut> midi{1};
    test_audio::FakeAudioInput audio;
    frmMain& f = main();
    const std::string tool = (dir / "tool").string();
    test::writeFile(tool, "#!/bin/sh\n");
    for (std::string* t : {&G().AudioEditor, &G().MidiEditor, &G().CDPlayer, &G().Mixer}) *t = tool;
    ui.help().calls.clear();
    auto u = ui.user();

    u.toolbar(f.Toolbar, "Help");
    ASSERT_EQ(ui.help().calls.size(), 1u);
    EXPECT_TRUE(ui.help().calls[0].contents);
    u.menu(f.mnuHow);
    u.menu(f.mnuProblems);
    u.menu(f.mnuAS);  // how to install a MIDI editor
    EXPECT_EQ(ui.helpCalls(), (std::vector<long>{116, 173, 89}));

    u.menu(f.mnuWeb);
    u.menu(f.mnuUpdate);
    std::vector<std::string> opened;
    for (const auto& c : shell.calls)
        if (c.kind == Kind::OpenDocument) opened.push_back(c.text);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://www.veltrane.org/",
                                                "https://www.veltrane.org/version72.html"}));

    // The dialog opens centred on the main window and stays above it (not above everything).
    ui.onModal<frmCustomize>([&](frmCustomize& c, ui::test::User& user) {
        const QRect main = f.window()->frameGeometry();
        const QRect dialog = c.window()->frameGeometry();
        EXPECT_LE((dialog.center() - main.center()).manhattanLength(), 4);
        EXPECT_EQ(c.window()->windowHandle()->transientParent(), f.window()->windowHandle());
        EXPECT_FALSE(c.window()->windowFlags() & Qt::WindowStaysOnTopHint);
        user.click(c.cmdCancel);
    });
    u.toolbar(f.Toolbar, "Options");
    EXPECT_EQ(ui::forms::existing<frmCustomize>(), nullptr);

    // The player and Convert need a project with audio.
    u.toolbar(f.Toolbar, "SyncPlay");
    u.toolbar(f.Toolbar, "Recognize");
    EXPECT_EQ(converts, 0);
    UseSingleAudioFile(wave("a.wav"));
    CheckEditFiles(1);
    CheckRecognize();
    {
        // The player plays the audio at once: on the clock-time output double.
        test::InstalledDevices<platform::wave_out::ClockWaveOut> output{&ui::runtime().clock()};
        ui.onModal<frmPlayer>([](frmPlayer& p, ui::test::User& user) {
            EXPECT_EQ(p.mmAudio.Mode(), 526);
            user.click(p.cmdClose);
        });
        u.toolbar(f.Toolbar, "SyncPlay");
        EXPECT_EQ(ui::forms::existing<frmPlayer>(), nullptr);
    }
    u.toolbar(f.Toolbar, "Recognize");
    u.menu(f.mnuRecognize);
    EXPECT_EQ(converts, 2);
    f.Toolbar_ButtonClick(f.Toolbar.Buttons(4));  // a key of no command
    EXPECT_EQ(converts, 2);

    // The picture: the wizard until a project can be edited, then the editor.
    cancelWizard();
    u.click(f.Image);
    f.mnuProject.setEnabled(true);
    editorCloses();
    u.click(f.Image);
    EXPECT_EQ(f.Image.ToolTipText(), "Click here to create or edit a project");
}

}  // namespace
}  // namespace velt::desk

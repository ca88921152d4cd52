// The procedures that talk to the user: the save question, MIDI short messages and their
// "MMSYSTEM: " reports, the master-file refusals, help, the outside editors, the browser and the
// default tool paths. Boxes are answered by the test script; programs go to the recording shell.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "box_match.h"
#include "desk/core/global.h"
#include "desk/core/project/project_file.h"
#include "desk/core/shared/master_file.h"
#include "desk/core/shared/midi_message.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/tools.h"
#include "installed_devices.h"
#include "platform/midi_out/midi_out.h"
#include "platform/shell/shell.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::desk {
namespace {

using test_boxes::Box;

class Commands : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        UseShell(&shell);
    }
    void TearDown() override {
        UseShell(nullptr);
        platform::midi_out::useDevices(nullptr);
        ResetGlobal();
    }
    ui::test::Script ui;
    platform::RecordingShell shell;
    test::TempDir dir;
};

TEST_F(Commands, CheckChangesAsksOnlyAfterChanges) {
    int saves = 0;
    bool saveWorks = true;
    MainWindow().runSaveCommand = [&] {
        ++saves;
        if (saveWorks) G().ProjectChanged = false;
    };
    bool cancel = true;
    CheckChanges(cancel);  // nothing changed: no question
    EXPECT_FALSE(cancel);

    G().ProjectChanged = true;
    G().ProjectFile = "/p/song.vpr";
    const std::string named =
        "The file '/p/song.vpr' has been changed.  Do you want to save these changes?";
    // Yes whose save did not happen (it failed, or Save As was cancelled) cancels as well.
    struct Case {
        int answer;
        bool saveWorks;
        bool cancel;
        int saves;
    } cases[] = {{ui::Yes, false, true, 1},
                 {ui::Yes, true, false, 2},
                 {ui::No, true, false, 2},
                 {ui::Cancel, true, true, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        saveWorks = c.saveWorks;
        G().ProjectChanged = true;
        auto m = Box(named, "Veltrane Rizaduzede", 32);
        m.buttons = 3;
        ui.expectBox(m).answer(c.answer);
        CheckChanges(cancel);
        EXPECT_EQ(cancel, c.cancel);
        EXPECT_EQ(saves, c.saves);
    }
    G().ProjectFile.clear();
    ui.expectBox(Box("Save project changes?", "Veltrane Rizaduzede", 32)).answer(ui::No);
    CheckChanges(cancel);
    EXPECT_FALSE(cancel);
}

TEST_F(Commands, SendMidiMsgPacksAndReports) {
    test::InstalledDevices<platform::midi_out::RecordingMidiOut> devices;
    ASSERT_EQ(platform::midi_out::open(G().hMidiOut, 0), 0);

    SendMidiMsg(0x90, 60, 100);
    EXPECT_EQ(G().MidiResult, 0);
    ASSERT_EQ(devices->events.size(), 2u);
    EXPECT_EQ(devices->events[1].bytes, (std::vector<uint8_t>{0x90, 60, 100}));

    struct Case {
        int32_t result;
        std::string text;
    } cases[] = {
        {platform::midi_out::NotReady, "MMSYSTEM: The hardware is busy with other data."},
        {platform::midi_out::NoDriver, "MMSYSTEM: Error 6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        devices->sendResult = c.result;
        ui.expectBox(Box(c.text, "Send MIDI", 48, 97)).answer(ui::OK);
        SendMidiMsg(0x80, 60, 0);
        EXPECT_EQ(G().MidiResult, c.result);
    }
    // A closed port: the handle is no longer valid.
    devices->sendResult = 0;
    platform::midi_out::close(G().hMidiOut);
    ui.expectBox(Box("MMSYSTEM: The specified device handle is invalid.", "Send MIDI", 48, 97))
        .pressHelp()
        .answer(ui::OK);
    SendMidiMsg(0x90, 60, 100);
    EXPECT_EQ(G().MidiResult, 5);
    EXPECT_EQ(ui.helpCalls(), std::vector<long>{97});

    // Reports suppressed: the result is kept, nothing is shown.
    G().SuppressMidiErrors = true;
    SendMidiMsg(0x90, 60, 100);
    EXPECT_EQ(G().MidiResult, 5);
}

TEST_F(Commands, CheckMasterFileFillsOrRefuses) {
    G().ChannelUsed[3] = true;
    EXPECT_FALSE(CheckMasterFile(""));
    EXPECT_FALSE(G().ChannelUsed[3]);

    const unsigned char format2[] = {'M',  'T', 'h', 'd', 0,   0, 0, 6, 0, 2, 0,    1,    1,
                                     0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    test::writeFile(dir / "f2.mid", std::string(format2, format2 + sizeof format2));
    ui.expectBox(
          Box("Only format 0 or format 1 MIDI files accepted.", "Master File Error", 16, 172))
        .answer(ui::OK);
    EXPECT_FALSE(CheckMasterFile((dir / "f2.mid").string()));

    const unsigned char drums[] = {'M', 'T',  'h',  'd', 0,   0,   0,    6,    0, 0,  0, 1,
                                   1,   0xE0, 'M',  'T', 'r', 'k', 0,    0,    0, 12, 0, 0xC9,
                                   0,   0,    0x99, 36,  100, 0,   0xFF, 0x2F, 0, 0};
    test::writeFile(dir / "drums.mid", std::string(drums, drums + sizeof drums));
    EXPECT_TRUE(CheckMasterFile((dir / "drums.mid").string()));
    for (int ch = 1; ch <= 16; ++ch) EXPECT_EQ(G().ChannelUsed[ch], ch == 10) << ch;
    EXPECT_EQ(G().ChannelProgram[10], 0);
    EXPECT_EQ(G().ChannelProgram[1], -1);

    ui.expectBox(Box("Master file is not a valid MIDI file.", "Master File Error", 16, 172))
        .answer(ui::OK);
    EXPECT_FALSE(CheckMasterFile((dir / "missing.mid").string()));
}

TEST_F(Commands, HelpTopicsGoToTheHelpService) {
    ShowHelpTopic(97);
    EXPECT_EQ(ui.helpCalls(), std::vector<long>{97});
    EXPECT_TRUE(shell.calls.empty());

    // The service names a page it can't find itself (the help window's tests): no second box.
    ui.help().result = false;
    ShowHelpTopic(99);
    EXPECT_EQ(ui.helpCalls(), (std::vector<long>{97, 99}));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(Commands, EditorArgumentLists) {
    using Arguments = std::vector<std::string>;
    Global& g = G();
    g.MidiEditor = "/usr/bin/rosegarden";
    g.AudioEditor = "/opt/mplayer/mplay";
    g.WorkWaveFile = "/tmp/v/~temp.wav";
    struct Case {
        const char* name;
        std::string midiFile, audioFile;
        Arguments midi, audio;
    } cases[] = {
        {"alone", "", "", {"/usr/bin/rosegarden"}, {"/opt/mplayer/mplay"}},
        {"plain file",
         "/m/a.mid",
         "/m/a.wav",
         {"/usr/bin/rosegarden", "/m/a.mid"},
         {"/opt/mplayer/mplay", "/m/a.wav"}},
        {"file with a blank",
         "/my m/a.mid",
         "/my m/a.wav",
         {"/usr/bin/rosegarden", "/my m/a.mid"},
         {"/opt/mplayer/mplay", "/my m/a.wav"}},
        {"AAC to an mplay editor gets the decoded copy",
         "",
         "/m/a.aac",
         {"/usr/bin/rosegarden"},
         {"/opt/mplayer/mplay", "/tmp/v/~temp.wav"}},
        {"a relative name that looks like an option",
         "-x.mid",
         "--y.wav",
         {"/usr/bin/rosegarden", "./-x.mid"},
         {"/opt/mplayer/mplay", "./--y.wav"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g.MidiFileToEdit = c.midiFile;
        g.AudioFileToEdit = c.audioFile;
        EXPECT_EQ(MidiEditorArguments(), c.midi);
        EXPECT_EQ(AudioEditorArguments(), c.audio);
    }
    g.AudioEditor = "/usr/bin/audacity";
    g.AudioFileToEdit = "/m/a.aac";
    EXPECT_EQ(AudioEditorArguments(), (Arguments{"/usr/bin/audacity", "/m/a.aac"}));
}

TEST_F(Commands, OutsideProgramsAndTheirFailures) {
    Global& g = G();
    g.MidiEditor = "/usr/bin/rosegarden";
    g.MidiFileToEdit = "/m/a.mid";
    g.AudioEditor = "/usr/bin/audacity";
    g.Mixer = "/usr/bin/pavucontrol";
    OpenMidiInEditor();
    OpenAudioInEditor();
    OpenRecordingMixer();
    OpenUrl("https://example.org/x");
    ASSERT_EQ(shell.calls.size(), 4u);
    using Arguments = std::vector<std::string>;
    EXPECT_EQ(shell.calls[0].arguments, (Arguments{"/usr/bin/rosegarden", "/m/a.mid"}));
    EXPECT_EQ(shell.calls[0].style, platform::WindowStyle::Normal);
    EXPECT_EQ(shell.calls[1].arguments, Arguments{"/usr/bin/audacity"});
    EXPECT_EQ(shell.calls[2].arguments, Arguments{"/usr/bin/pavucontrol"});
    EXPECT_EQ(shell.calls[3].kind, platform::RecordingShell::Call::Kind::OpenDocument);

    shell.result = false;
    ui.expectBox(Box("Unable to run MIDI Editor.", "MIDI Editor", 16, 89)).answer(ui::OK);
    OpenMidiInEditor();
    ui.expectBox(Box("Unable to run Audio File Editor.", "Audio File Editor", 16, 86))
        .answer(ui::OK);
    OpenAudioInEditor();
    ui.expectBox(Box("Unable to open Mixer.", "Recording Mixer", 16, 146)).answer(ui::OK);
    OpenRecordingMixer();
    ui.expectBox(Box("Veltrane Rizaduzede is unable to open your Web browser.  Please open it "
                     "manually and enter the address: https://example.org/x",
                     "Open Web Page", 48, 155))
        .answer(ui::OK);
    OpenUrl("https://example.org/x");
    OpenSoundControlPanel();  // failures are ignored: no box
}

TEST_F(Commands, DefaultToolPathsPreferInstalledPrograms) {
    // A PATH with a fake audio editor and xdg-open, nothing else.
    auto bin = dir / "bin";
    std::filesystem::create_directory(bin);
    for (const char* name : {"audacity", "xdg-open", "pavucontrol-qt"}) {
        test::writeFile(bin / name, "#!/bin/sh\n");
        chmod((bin / name).c_str(), 0755);
    }
    test::writeFile(dir / "mine", "");
    test::ScopedEnv path("PATH", bin.string());
    Global& g = G();
    g.CDPlayer = (dir / "mine").string();  // an existing file is kept
    g.MidiEditor = (dir / "gone").string();
    SetDefaultToolPaths();
    EXPECT_EQ(g.AudioEditor, (bin / "audacity").string());
    EXPECT_EQ(g.MidiEditor, (bin / "xdg-open").string());
    EXPECT_EQ(g.CDPlayer, (dir / "mine").string());
    EXPECT_EQ(g.Mixer, (bin / "pavucontrol-qt").string());

    test::ScopedEnv none("PATH", dir.path().string());
    g.AudioEditor.clear();
    g.Mixer.clear();
    SetDefaultToolPaths();
    EXPECT_EQ(g.AudioEditor, "xdg-open");
    EXPECT_EQ(g.Mixer, "pavucontrol");
}

}  // namespace
}  // namespace velt::desk

// The Options dialog: what it shows at load, when it applies (and when not), the path boxes and
// their browse buttons, the test note on the MIDI device and the input signal indicator.
// Devices are the platform's recording MIDI double and a scripted set of capture devices.
#include <gtest/gtest.h>

#include <QPointer>
#include <filesystem>

#include "audio_input_double.h"
#include "box_match.h"
#include "desk/core/global.h"
#include "desk/core/options/frm_customize.h"
#include "desk/ui/testing/real_input.h"
#include "installed_devices.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/fake_wave_in.h"
#include "test_support.h"

namespace velt::desk {
namespace {

using Kind = platform::midi_out::RecordingMidiOut::Event::Kind;
using test_boxes::Box;

class OptionsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        platform::midi_out::useDevices(&midi);
        G().InstallFolder = dir.path().string() + "/";
        editor = (dir.path() / "ed.exe").string();
        test::writeFile(editor, "#!/bin/sh\n");
    }
    void TearDown() override {
        ui::Release<frmCustomize>();
        platform::midi_out::useDevices(nullptr);
        ResetGlobal();
    }
    frmCustomize& shown() {
        frmCustomize& f = ui::Load<frmCustomize>();
        f.Show();
        return f;
    }
    std::vector<Kind> midiKinds() const {
        std::vector<Kind> kinds;
        for (const auto& e : midi.events) kinds.push_back(e.kind);
        return kinds;
    }

    ui::test::Script ui;
    test::TempDir dir;
    platform::midi_out::RecordingMidiOut midi{2};
    test_audio::FakeAudioInput audio;
    std::string editor;
};

TEST_F(OptionsDialog, LoadShowsTheOptionsAndCancelKeepsThem) {
    Global& g = G();
    g.AudioEditor = editor;
    g.MidiEditor = "/nowhere/midi.exe";
    g.UserLevel = 0;
    g.NoteValue = 1;
    g.PlayEdit = -1;  // older stores kept switches as -1
    g.Transcribe = 0;
    g.AutoPlay = 1;
    g.Duration = 500;
    g.Velocity = 90;
    g.AudioDevice = 5;  // beyond the three devices: entry 0 is shown
    g.MidiDevice = 1;

    frmCustomize& f = shown();
    EXPECT_EQ(f.Caption(), "Options");
    EXPECT_EQ(f.txtWave.Text(), editor);
    EXPECT_EQ(f.txtMidi.Text(), "/nowhere/midi.exe");
    EXPECT_TRUE(f.optUserLevel(0).Value());
    EXPECT_TRUE(f.optBritish(1).Value());
    EXPECT_EQ(f.chkPlayEdit.Value(), 1);
    EXPECT_EQ(f.chkTranscribe.Value(), 0);
    EXPECT_EQ(f.chkAutoPlay.Value(), 1);
    EXPECT_EQ(f.sldDur.Value(), 500);
    EXPECT_EQ(f.sldVel.Value(), 90);
    ASSERT_EQ(f.cboWaveDevice.ListCount(), 3);
    EXPECT_EQ(f.cboWaveDevice.List(1), "Microphone");
    EXPECT_EQ(f.cboWaveDevice.ListIndex(), 0);
    ASSERT_EQ(f.cboMidiDevice.ListCount(), 2);
    EXPECT_EQ(f.cboMidiDevice.List(1), "Recording MIDI device 2");
    EXPECT_EQ(f.cboMidiDevice.ListIndex(), 1);
    EXPECT_TRUE(f.cmdsndTest.Enabled());
    EXPECT_FALSE(f.cmdApply.Enabled());  // load's selections are no edits
    EXPECT_TRUE(f.shpAudio.Visible());
    EXPECT_EQ(f.shpAudio.FillColor(), frmCustomize::kWaiting);
    EXPECT_TRUE(f.lblWait.Visible());
    EXPECT_EQ(audio.calls, std::vector<std::string>{"open 0"});  // one open for the one device

    ui::test::User u = ui.user();
    u.click(f.chkTranscribe);
    u.click(f.optUserLevel(1));
    EXPECT_TRUE(f.cmdApply.Enabled());
    u.click(f.cmdCancel);
    EXPECT_FALSE(ui::isLoaded<frmCustomize>());
    EXPECT_EQ(g.AudioDevice, 5);
    EXPECT_EQ(g.Transcribe, 0);
    EXPECT_EQ(g.UserLevel, 0);
    EXPECT_EQ(g.PlayEdit, -1);
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"open 0", "close"}));
}

TEST_F(OptionsDialog, OkAppliesOnlyAfterAnEdit) {
    Global& g = G();
    g.AudioDevice = 5;
    g.PlayEdit = -1;
    g.AudioEditor = editor;
    frmCustomize& f = shown();
    ui.user().click(f.cmdOK);
    EXPECT_EQ(g.AudioDevice, 5);  // nothing edited: nothing applied
    EXPECT_EQ(g.PlayEdit, -1);
    EXPECT_TRUE(g.MidiEditor.empty());

    frmCustomize& again = shown();
    ui::test::User u = ui.user();
    u.click(again.chkAutoPlay);
    u.pick(again.cboMidiDevice, 0);
    u.dragTo(again.sldDur, 1000);
    u.click(again.optBritish(1));
    u.click(again.cmdOK);
    EXPECT_EQ(g.AudioDevice, 0);
    EXPECT_EQ(g.MidiDevice, 0);
    EXPECT_EQ(g.AutoPlay, 1);
    EXPECT_EQ(g.PlayEdit, 1);
    EXPECT_EQ(g.Duration, 1000);
    EXPECT_EQ(g.NoteValue, 1);
    EXPECT_EQ(g.AudioEditor, editor);
    EXPECT_FALSE(g.MidiEditor.empty());  // Apply gave the empty paths their defaults
    EXPECT_FALSE(g.Mixer.empty());
}

// Real mouse clicks on the dialog's own buttons: the dialog unloads itself from the button's
// click, while Qt's button code is still on the stack. The window waits for the event loop, and
// the dialog loads again afresh.
TEST_F(OptionsDialog, RealClicksOnItsOwnButtonsUnloadIt) {
    ui::test::RealInput input;
    for (const char* button : {"cmdCancel", "cmdOK"}) {
        SCOPED_TRACE(button);
        frmCustomize& f = shown();
        ui::CommandButton& b = std::string(button) == "cmdOK" ? f.cmdOK : f.cmdCancel;
        QPointer<QWidget> window = f.window();
        QPointer<QWidget> pressed = b.widget();
        ASSERT_TRUE(input.click(b));
        EXPECT_FALSE(f.loaded());
        EXPECT_TRUE(window && pressed);
        EXPECT_FALSE(window && window->isVisible());
        ui::test::RealInput::settle();
        EXPECT_FALSE(window || pressed);
    }
    frmCustomize& f = shown();
    EXPECT_TRUE(f.Visible());
    EXPECT_FALSE(f.cmdApply.Enabled());
}

TEST_F(OptionsDialog, ApplyTakesTheBoxesAndDisablesItself) {
    frmCustomize& f = shown();
    ui::test::User u = ui.user();
    ASSERT_TRUE(u.type(f.txtMixer, editor));
    u.click(f.cmdApply);
    EXPECT_EQ(G().Mixer, editor);
    EXPECT_FALSE(f.cmdApply.Enabled());
    EXPECT_TRUE(ui::isLoaded<frmCustomize>());
}

TEST_F(OptionsDialog, PathBoxesStripQuotesAndReportMissingFiles) {
    frmCustomize& f = shown();
    ui::test::User u = ui.user();
    // Typing a double quote does nothing.
    u.type(f.txtCDPlayer, "\"" + editor + "\"");
    EXPECT_EQ(f.txtCDPlayer.Text(), editor);
    u.focus(f.cboMidiDevice);  // leaving an existing file: no box

    struct Case {
        ui::TextBox& box;
        std::string kind;
        long help;
    } cases[] = {{f.txtWave, "Audio Editor", 84},
                 {f.txtMidi, "MIDI Editor", 87},
                 {f.txtCDPlayer, "CD Player", 143},
                 {f.txtMixer, "Mixer", 145}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.kind);
        c.box.setText("\"/no/such/x.exe\"");  // pasted with its quotes
        u.focus(c.box);
        EXPECT_EQ(c.box.SelLength(), static_cast<int>(c.box.Text().size()));  // all selected
        ui.expectBox(Box("The " + c.kind + " file '/no/such/x.exe' does not exist.", "Customize",
                         48, c.help))
            .answer(ui::OK);
        u.focus(f.cboMidiDevice);
        EXPECT_EQ(c.box.Text(), "/no/such/x.exe");  // kept as typed, quotes gone
    }
    u.click(f.cmdApply);  // a missing path is still taken; the defaults then decide
    EXPECT_NE(G().AudioEditor, "/no/such/x.exe");
    EXPECT_EQ(f.txtWave.Text(), "/no/such/x.exe");  // the boxes are not refreshed
}

// A path box only passed through says nothing, whatever it holds: a path stored before its file
// went away, or a default program that is not installed. A program named without its folder is
// looked for on PATH.
TEST_F(OptionsDialog, PathBoxesPassedThroughOrNamingAProgramOnPathSayNothing) {
    G().AudioEditor = "/no/such/editor";
    G().MidiEditor = "no-such-program-here";
    frmCustomize& f = shown();
    ui::test::User u = ui.user();
    for (ui::TextBox* box : {&f.txtWave, &f.txtMidi, &f.txtCDPlayer, &f.txtMixer}) u.focus(*box);
    u.focus(f.cboMidiDevice);
    EXPECT_EQ(f.txtWave.Text(), "/no/such/editor");

    u.type(f.txtCDPlayer, "sh");
    u.focus(f.cboMidiDevice);
    u.type(f.txtMixer, "no-such-program-here");
    ui.expectBox(Box("The Mixer file 'no-such-program-here' does not exist.", "Customize", 48, 145))
        .answer(ui::OK);
    u.focus(f.cboMidiDevice);
}

TEST_F(OptionsDialog, BrowseProposesTheStoredProgram) {
    G().AudioEditor = editor;
    frmCustomize& f = shown();
    ui::test::User u = ui.user();
    const std::string other = (dir.path() / "other.exe").string();
    test::writeFile(other, "x");

    ui.expectFileDialog({.title = "Select Audio File Editor",
                         .filter = "Program Files (*.exe; *.com; *.bat; *.pif)|*.exe;*.com;"
                                   "*.bat;*.pif|All Files (*.*)|*.*",
                         .flags = 4100,
                         .initDir = dir.path().string() + "/",
                         .fileName = "ed.exe"})
        .cancel();
    u.click(f.cmdWave);
    EXPECT_EQ(f.txtWave.Text(), editor);
    EXPECT_FALSE(f.cmdApply.Enabled());

    // No stored program: the install folder, no name proposed.
    ui.expectFileDialog({.title = "Select Mixer", .initDir = G().InstallFolder, .fileName = ""})
        .choose(other);
    u.click(f.cmdMixer);
    EXPECT_EQ(f.txtMixer.Text(), other);
    EXPECT_TRUE(f.cmdApply.Enabled());

    // The results window's road: hidden dialog, browse, OK.
    ui::Release<frmCustomize>();
    frmCustomize& hidden = ui::Load<frmCustomize>();
    ui.expectFileDialog({.title = "Select MIDI Editor"}).choose(other);
    hidden.cmdMidi_Click();
    hidden.cmdOK_Click();
    EXPECT_EQ(G().MidiEditor, other);
    EXPECT_FALSE(ui::isLoaded<frmCustomize>());
}

TEST_F(OptionsDialog, TestNotePlaysForTheSliderDuration) {
    G().Duration = 250;
    G().Velocity = 100;
    frmCustomize& f = shown();
    ui::test::User u = ui.user();
    u.click(f.cmdsndTest);
    ASSERT_EQ(midi.events.size(), 3u);
    EXPECT_EQ(midi.events[0].device, 0);  // the selected entry
    EXPECT_EQ(midi.events[1].bytes, (std::vector<uint8_t>{0xC0, 0x00}));
    EXPECT_EQ(midi.events[2].bytes, (std::vector<uint8_t>{0x90, 60, 100}));
    ui.advance(249);
    EXPECT_EQ(midi.events.size(), 3u);
    ui.advance(1);
    EXPECT_EQ(midiKinds(), (std::vector<Kind>{Kind::Open, Kind::Message, Kind::Message, Kind::Reset,
                                              Kind::Close}));
    EXPECT_EQ(G().hMidiOut, 0);

    // A second press while the note sounds ends it first and starts it again.
    midi.events.clear();
    u.click(f.cmdsndTest);
    ui.advance(100);
    u.click(f.cmdsndTest);
    EXPECT_EQ(midiKinds(),
              (std::vector<Kind>{Kind::Open, Kind::Message, Kind::Message, Kind::Reset, Kind::Close,
                                 Kind::Open, Kind::Message, Kind::Message}));
    // Closing the dialog while the note sounds silences it and frees the port.
    u.click(f.cmdCancel);
    EXPECT_EQ(midi.events.back().kind, Kind::Close);
    EXPECT_EQ(G().hMidiOut, 0);
}

TEST_F(OptionsDialog, TestNoteOpenFailuresAreReported) {
    frmCustomize& f = shown();
    ui::test::User u = ui.user();
    for (const auto& c : test_boxes::midiOpenErrors()) {
        SCOPED_TRACE(c.result);
        midi.openResult = c.result;
        ui.expectBox(Box(c.text, "Test MIDI", 48, 97)).answer(ui::OK);
        u.click(f.cmdsndTest);
        EXPECT_EQ(G().MidiResult, c.result);
        EXPECT_FALSE(f.tmrMidi.Enabled());
    }
    EXPECT_TRUE(midi.events.empty());
}

TEST_F(OptionsDialog, SignalIndicatorFollowsTheLevelAndTheDevice) {
    G().InputThreshold = 384;
    frmCustomize& f = shown();
    struct Case {
        int32_t level;
        long colour;
    } cases[] = {{0, frmCustomize::kQuiet},
                 {383, frmCustomize::kQuiet},
                 {384, frmCustomize::kSignal},
                 {20000, frmCustomize::kSignal}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        audio.level = c.level;
        ui.advance(1);
        EXPECT_EQ(f.shpAudio.FillColor(), c.colour);
        EXPECT_FALSE(f.lblWait.Visible());
    }

    // Another device: the meter closes and watches the new one.
    ui::test::User u = ui.user();
    u.pick(f.cboWaveDevice, 2);
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"open 0", "close", "open 2"}));
    EXPECT_EQ(f.shpAudio.FillColor(), frmCustomize::kWaiting);
    EXPECT_TRUE(f.cmdApply.Enabled());

    // A device that cannot be opened turns it red, and it stops polling.
    audio.openResult = 4;
    ui.expectBox(Box("ERROR 4: Unable to open audio device.", "Audio Device Test Error", 16, 172))
        .answer(ui::OK);
    u.pick(f.cboWaveDevice, 1);
    EXPECT_EQ(f.shpAudio.FillColor(), frmCustomize::kFailed);
    EXPECT_FALSE(f.lblWait.Visible());
    EXPECT_FALSE(f.tmrLevel.Enabled());
    u.click(f.cmdOK);
    EXPECT_EQ(G().AudioDevice, 1);
    EXPECT_EQ(audio.calls.back(), "open 1");  // a failed meter needs no close
}

TEST_F(OptionsDialog, MissingMeterAndMissingDevices) {
    audio.available = false;
    ui.expectBox(Box("Unable to monitor recording level.", "Audio Device Test Error", 48, 171))
        .answer(ui::OK);
    frmCustomize& f = shown();
    EXPECT_EQ(f.shpAudio.FillColor(), frmCustomize::kFailed);
    EXPECT_FALSE(f.lblWait.Visible());
    ui.user().click(f.cmdCancel);

    // No capture device and no MIDI device: no indicator, no meter, no test note.
    audio.names.clear();
    audio.calls.clear();
    {
        test::InstalledDevices<platform::midi_out::RecordingMidiOut> none(0);
        G().AudioDevice = 0;
        frmCustomize& empty = shown();
        EXPECT_EQ(empty.cboWaveDevice.ListIndex(), -1);
        EXPECT_FALSE(empty.shpAudio.Visible());
        EXPECT_FALSE(empty.cmdsndTest.Enabled());
        EXPECT_TRUE(audio.calls.empty());
        ui.user().click(empty.cmdOK);
        EXPECT_EQ(G().AudioDevice, 0);  // OK without edits
    }
    platform::midi_out::useDevices(&midi);  // the fixture's again, for the teardown
}

// Without a stand-in the dialog lists the platform's devices and watches the platform's meter.
TEST(OptionsDialogDevices, ListsAndMeterComeFromThePlatform) {
    ResetGlobal();
    ui::test::Script ui;
    test::InstalledDevices<platform::midi_out::RecordingMidiOut> midi(1);
    test::InstalledDevices<platform::wave_in::FakeWaveIn> input(2);
    G().AudioDevice = 1;
    G().InputThreshold = 384;

    frmCustomize& f = ui::Load<frmCustomize>();
    f.Show();
    ASSERT_EQ(f.cboWaveDevice.ListCount(), 2);
    EXPECT_EQ(f.cboWaveDevice.List(0), platform::wave_in::deviceName(0));
    EXPECT_EQ(f.cboWaveDevice.ListIndex(), 1);
    EXPECT_EQ(f.cboMidiDevice.List(0), platform::midi_out::deviceName(0));
    EXPECT_TRUE(input->capturing);
    ui.advance(1);
    EXPECT_EQ(f.shpAudio.FillColor(), frmCustomize::kQuiet);
    const std::vector<int16_t> loud(4410, 12000);
    input->deliver(loud);
    ui.advance(1);
    EXPECT_EQ(f.shpAudio.FillColor(), frmCustomize::kSignal);
    ui.user().click(f.cmdCancel);
    EXPECT_FALSE(input->capturing);

    ui::Release<frmCustomize>();
    ResetGlobal();
}

}  // namespace
}  // namespace velt::desk

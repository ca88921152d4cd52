// The audio source pages over the hidden recorder and settings dialog: the tempo needle, the
// beats box, a take recorded through the input double and handed over on Next, the time range
// coming back when nothing was recorded, and the boxes that refuse typing.
#include <algorithm>
#include <ostream>

#include "desk/media/frm_record.h"
#include "installed_devices.h"
#include "platform/mci/mci.h"
#include "platform/wave_io/clock_wave_out.h"
#include "platform/wave_io/fake_wave_in.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

constexpr int kWoodblock = 115;

class WizardAudio : public WizardTest {
  protected:
    void SetUp() override {
        WizardTest::SetUp();
        platform::wave_in::useDevices(&input);
        platform::wave_out::useDevices(&output);
    }
    void TearDown() override {
        WizardTest::TearDown();
        platform::mci::closeAll();
        platform::wave_in::useDevices(nullptr);
        platform::wave_out::useDevices(nullptr);
    }
    // Stereo frames of a plucked melody made by sox, as the sound card would deliver them.
    std::vector<int16_t> melody() {
        const std::string path = (dir / "melody.raw").string();
        EXPECT_EQ(test::runCommand("sox -D -n -r 44100 -c 2 -b 16 -e signed -t raw " +
                                   test::shellQuote(path) +
                                   " synth 0.4 pluck C4 : synth 0.4 pluck E4 : synth 0.4 pluck G4")
                      .exitCode,
                  0);
        const std::vector<unsigned char> bytes = test::readBytes(path);
        std::vector<int16_t> samples;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
        return samples;
    }
    bool woodblockClicked() const {
        return std::any_of(midi.events.begin(), midi.events.end(), [](const auto& e) {
            return e.bytes.size() >= 2 && (e.bytes[0] & 0xF0) == 0xC0 && e.bytes[1] == kWoodblock;
        });
    }
    // The record page for a source: Next from step 1, through the metronome page if it comes.
    frmWizard& recordPage(int source) {
        frmWizard& w = wizard();
        w.optWave(source).setValue(true);
        w.cmdNav_Click(3);
        if (w.CurrentStep == WizardStep::Metronome) {
            w.txtTempo.setText("100");
            w.txtTimeNum.setText("4");
            w.cmdNav_Click(3);
        }
        EXPECT_EQ(w.CurrentStep, WizardStep::RecordAudio);
        return w;
    }

    platform::wave_in::FakeWaveIn input;
    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
};

TEST_F(WizardAudio, TheNeedleSpansTheDialFrom5To235) {
    frmWizard& w = wizard();
    const auto [cx, cy] = dialCentre(w.gauTempo);
    struct Case {
        const char* tempo;
        double x, y;
    } cases[] = {{"5", cx - 500, cy - 60},
                 {"120", cx, cy - 560},
                 {"235", cx + 500, cy - 60},
                 {"300", cx + 500, cy - 60}};
    for (const Case& c : cases) {
        DrawTempoNeedle(w.gauTempo, w.gauTempoLine, c.tempo);
        EXPECT_EQ(w.gauTempoLine.X1(), c.x) << c.tempo;
        EXPECT_EQ(w.gauTempoLine.Y1(), c.y) << c.tempo;
        expectNeedleOnDial(w.gauTempo, w.gauTempoLine, c.tempo);
    }
    // Through the page: the recorder validates, then the needle follows.
    w.optWave(0).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::Metronome);
    w.txtTempo.setText("120");
    EXPECT_EQ(w.gauTempoLine.X1(), cx);
    EXPECT_EQ(w.gauTempoLine.Y1(), cy - 560);
    expectNeedleOnDial(w.gauTempo, w.gauTempoLine, "120");
}

TEST_F(WizardAudio, TheBeatsUpDownAtZeroShowsAuto) {
    frmWizard& w = wizard();
    w.optWave(0).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::Metronome);
    w.Show();
    w.txtTimeNum.setText("1");
    ui.user().spin(w.spnTimeNum, ui::Down);
    EXPECT_EQ(w.txtTimeNum.Text(), "Auto");
}

// A take recorded from a source, saved and handed to the settings dialog by Next.
struct TakeCase {
    int source;
    const char* metronome;  // the recorder's button as Record leaves it
    int countInMs;          // four beats at 100 BPM with the metronome
    const char* mark;
    bool clicks;
};

void PrintTo(const TakeCase& c, std::ostream* os) {
    *os << "source " << c.source;
}

class WizardAudioTake : public WizardAudio, public ::testing::WithParamInterface<TakeCase> {};

TEST_P(WizardAudioTake, IsSavedAndHandedToTheSettingsDialog) {
    const TakeCase& c = GetParam();
    const std::vector<int16_t> samples = melody();
    frmWizard& w = recordPage(c.source);
    frmRecord& rec = ui::forms::get<frmRecord>();
    editor().WorkTaps = "0A0A";  // taps of an earlier take
    int cancel = 0;
    w.MMControl_RecordClick(cancel);
    EXPECT_EQ(cancel, 1);
    EXPECT_EQ(rec.cmdMetronome.Caption(), c.metronome);
    ui.advance(c.countInMs);
    EXPECT_EQ(rec.RecordState(), "Record");
    input.deliver(samples);
    ui.advance(1200);
    w.MMControl_StopClick(cancel);
    EXPECT_TRUE(w.cmdSave.Enabled());
    EXPECT_EQ(w.StatusBar.Text(), rec.StatusBar.Text());

    const std::string take = (dir / "take.wav").string();
    ui.expectFileDialog({.title = "Save Wave File As"}).choose(take);
    w.cmdSave_Click();
    EXPECT_EQ(w.lblFileName.Caption(), rec.lblFileName.Caption());
    EXPECT_EQ(G().RecordMark, c.mark);

    w.cmdNav_Click(3);
    EXPECT_NE(w.CurrentStep, WizardStep::RecordAudio);
    EXPECT_FALSE(ui::isLoaded<frmRecord>());
    EXPECT_FALSE(w.fraLevel.Visible());
    ASSERT_GE(editor().cboAudioFile.ListCount(), 1);
    EXPECT_EQ(editor().CurrentAudioFile, take);
    EXPECT_EQ(editor().chkEntireRange.Value(), 1);
    EXPECT_EQ(editor().WorkTaps, "");
    EXPECT_TRUE(G().AudioFileValid);
    EXPECT_EQ(woodblockClicked(), c.clicks);
}

INSTANTIATE_TEST_SUITE_P(Sources, WizardAudioTake,
                         ::testing::Values(TakeCase{0, "<<&Metronome", 2400, "Y", true},
                                           TakeCase{1, "&Metronome>>", 0, "N", false}),
                         [](const auto& info) {
                             return std::string(info.param.source == 0 ? "Direct" : "Cassette");
                         });

TEST_F(WizardAudio, LeavingTheRecordPagesWithoutATakeRestoresTheTimeRange) {
    // With an audio file: the range set before the pages comes back.
    const std::string song = (dir / "song.wav").string();
    ASSERT_EQ(test::runCommand("sox -D -n -r 22050 -c 1 -b 16 " + test::shellQuote(song) +
                               " synth 8 sine 330 vol 0.5")
                  .exitCode,
              0);
    frmWizard& w = wizard();
    addAudio(song);
    frmProperties& p = editor();
    p.chkEntireRange.setValue(0);
    p.txtEndPoint.setText("00:00:06");
    p.txtEndPoint_LostFocus();
    p.txtStartPoint.setText("00:00:02");
    p.txtStartPoint_LostFocus();
    w.optWave(1).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::RecordAudio);
    p.txtStartPoint.setText("00:00:00");
    p.txtEndPoint.setText("00:00:08");
    w.cmdNav_Click(2);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    EXPECT_EQ(p.txtStartPoint.Text(), "00:00:02");
    EXPECT_EQ(p.txtEndPoint.Text(), "00:00:06");
    EXPECT_EQ(p.CurrentAudioFile, song);
    EXPECT_EQ(p.cboAudioFile.ListCount(), 1);
}

TEST_F(WizardAudio, BackFromTheMetronomeOfANewProjectHandsNothingOver) {
    frmWizard& w = wizard();
    G().WaveReady = true;
    frmProperties& p = editor();
    // A file project that has no audio file yet.
    G().AudioFileValid = false;
    p.CurrentMidiFile.clear();
    p.cboMidiFile.setEnabled(true);
    const std::string start = p.txtStartPoint.Text(), end = p.txtEndPoint.Text();
    w.optWave(0).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::Metronome);
    w.cmdNav_Click(2);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    EXPECT_FALSE(ui::isLoaded<frmRecord>());
    // Not switched to real time, no audio marked valid, nothing listed.
    EXPECT_NE(p.CurrentMidiFile, "[Real Time Mode]");
    EXPECT_TRUE(p.cboMidiFile.Enabled());
    EXPECT_FALSE(G().AudioFileValid);
    EXPECT_TRUE(G().WaveReady);
    EXPECT_EQ(p.cboAudioFile.ListCount(), 0);
    EXPECT_EQ(p.txtStartPoint.Text(), start);
    EXPECT_EQ(p.txtEndPoint.Text(), end);
}

TEST_F(WizardAudio, ACancelledSaveDialogChangesNothing) {
    frmWizard& w = recordPage(1);
    frmRecord& rec = ui::forms::get<frmRecord>();
    int cancel = 0;
    w.MMControl_RecordClick(cancel);
    input.deliver(melody());
    ui.advance(1200);
    w.MMControl_StopClick(cancel);
    const std::string caption = w.lblFileName.Caption();
    ui.expectFileDialog({.title = "Save Wave File As"}).cancel();
    w.cmdSave_Click();
    EXPECT_EQ(w.lblFileName.Caption(), caption);
    EXPECT_EQ(rec.lblFileName.Caption(), caption);
    EXPECT_EQ(G().RecordMark, "-");
    EXPECT_EQ(editor().cboAudioFile.ListCount(), 0);
    EXPECT_TRUE(editor().CurrentAudioFile.empty());
    // Leaving offers the save once more; cancelled again, nothing reaches the settings dialog.
    ui.expectFileDialog({.title = "Save Wave File As"}).cancel();
    w.cmdNav_Click(2);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    EXPECT_EQ(editor().cboAudioFile.ListCount(), 0);
    EXPECT_TRUE(editor().CurrentAudioFile.empty());
}

TEST_F(WizardAudio, TheFileBoxesRefuseTyping) {
    const std::string master = (dir / "master.mid").string();
    const std::string csv = (dir / "master.csv").string();
    {
        std::FILE* f = std::fopen(csv.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(
            "0, 0, Header, 1, 1, 480\n1, 0, Start_track\n1, 0, Tempo, 500000\n"
            "1, 0, Program_c, 0, 40\n1, 0, Note_on_c, 0, 60, 90\n1, 480, Note_off_c, 0, 60, 0\n"
            "1, 480, End_track\n0, 0, End_of_file\n",
            f);
        std::fclose(f);
    }
    ASSERT_EQ(test::runCommand("csvmidi " + test::shellQuote(csv) + " " + test::shellQuote(master))
                  .exitCode,
              0);
    frmWizard& w = wizard();
    addAudio(wave("only.wav"));
    ui.expectFileDialog({.title = "Select Audio File"}).cancel();  // the page opens it
    w.ShowStep(WizardStep::AudioFile);
    w.Show();
    ui::test::User u = ui.user();
    const std::string listed = w.cboAudioFile.Text();
    EXPECT_TRUE(u.type(w.cboAudioFile, "abc"));
    EXPECT_EQ(w.cboAudioFile.Text(), listed);
    // Shortening the only file is how it would be removed: it is undone.
    w.cboAudioFile.setText(listed.substr(0, listed.size() - 1));
    EXPECT_EQ(w.cboAudioFile.Text(), listed);
    EXPECT_EQ(editor().cboAudioFile.ListCount(), 1);

    w.ShowStep(WizardStep::MasterFile);
    frmRecord& rec = ui::forms::get<frmRecord>();
    ui.expectFileDialog({.title = "Select Master MIDI File"}).choose(master);
    w.cmdMasterBrowse_Click();
    ASSERT_EQ(w.txtMasterFile.Text(), rec.txtMasterFile.Text());
    const std::string name = w.txtMasterFile.Text();
    EXPECT_NE(name, "<NONE>");
    EXPECT_EQ(w.lstChannels.ListCount(), 16);
    EXPECT_TRUE(u.type(w.txtMasterFile, "xyz"));
    EXPECT_EQ(w.txtMasterFile.Text(), name);
    w.txtMasterFile.setText(name.substr(0, 3));
    EXPECT_EQ(w.txtMasterFile.Text(), name);
    EXPECT_EQ(w.lstChannels.ListCount(), 16);
    w.txtMasterFile.setText("");
    EXPECT_EQ(w.txtMasterFile.Text(), "<NONE>");
    EXPECT_EQ(rec.txtMasterFile.Text(), "<NONE>");
    EXPECT_EQ(w.lstChannels.ListCount(), 0);
    EXPECT_TRUE(rec.RecordFile.empty());
}

TEST_F(WizardAudio, RemovingOneOfTwoFilesRebuildsBothLists) {
    frmWizard& w = wizard();
    const std::string first = wave("first.wav"), second = wave("second.wav");
    addAudio(first);
    addAudio(second);
    ui.expectFileDialog({.title = "Select Audio File"}).cancel();  // the page opens it
    w.ShowStep(WizardStep::AudioFile);
    ASSERT_EQ(w.cboAudioFile.ListCount(), 2);
    ASSERT_EQ(w.cboMidiFile.ListCount(), 2);
    ui.expectBox({.textStartsWith = "Are you sure you want to remove"}).answer(ui::Yes);
    w.cboAudioFile.setText("");
    EXPECT_EQ(editor().cboAudioFile.ListCount(), 1);
    ASSERT_EQ(w.cboAudioFile.ListCount(), 1);
    ASSERT_EQ(w.cboMidiFile.ListCount(), 1);
    EXPECT_EQ(w.cboAudioFile.List(0), editor().cboAudioFile.List(0));
    EXPECT_EQ(w.cboMidiFile.List(0), editor().cboMidiFile.List(0));
    EXPECT_EQ(w.cboAudioFile.ListIndex(), editor().cboAudioFile.ListIndex());
}

TEST_F(WizardAudio, TheBoxesHandThemselvesOverAsTheFocusedBox) {
    frmWizard& w = wizard();
    frmRecord& rec = ui::forms::get<frmRecord>();
    struct Case {
        ui::TextBox& box;
        ui::TextBox* const& holder;  // where the window that validates it looks
    } cases[] = {{w.txtTempo, rec.FocusedBox},
                 {w.txtTimeNum, rec.FocusedBox},
                 {w.txtMasterFile, w.FocusedBox},
                 {w.txtTempo1, editor().FocusedBox},
                 {w.txtPitchMode, editor().FocusedBox}};
    for (const Case& c : cases) {
        c.box.setText("42");
        c.box.GotFocus.call();
        EXPECT_EQ(c.holder, &c.box) << c.box.Name();
        EXPECT_EQ(c.box.SelStart(), 0) << c.box.Name();
        EXPECT_EQ(c.box.SelLength(), static_cast<int>(c.box.Text().size())) << c.box.Name();
    }
}

TEST_F(WizardAudio, AFailingRecordingDeviceGivesOnlyTheRecordersBox) {
    frmWizard& w = recordPage(1);
    {
        test::InstalledDevices<platform::wave_in::FakeWaveIn> none(0);  // no input device at all
        ui.expectBox({.title = "Open Record", .icon = 48, .help = 97}).answer(ui::Answer::OK);
        int cancel = 0;
        w.MMControl_RecordClick(cancel);
        EXPECT_EQ(ui.boxes().size(), 1u);
        EXPECT_EQ(w.StatusBar.Text(), "Ready to Record");
        EXPECT_TRUE(w.MMControl.RecordEnabled());
        EXPECT_FALSE(w.MMControl.PlayEnabled());
        EXPECT_FALSE(w.MMControl.StopEnabled());
        EXPECT_FALSE(w.cmdSave.Enabled());
    }
    platform::wave_in::useDevices(&input);  // the fixture's again, for the teardown
}

}  // namespace
}  // namespace velt::desk

// The metronome: one bar of count-in at 120 BPM with the take started on the downbeat, the
// counter and its colours, "Auto" metre, a late tick, play-back that ends at the take's length
// for both ways of recording, the MIDI open errors, Stop during the count-in, and the channel.
#include <gtest/gtest.h>

#include "desk/instruments/frm_ens.h"
#include "recorder_fixture.h"

namespace velt::desk::test_recorder {
namespace {

using test_boxes::Box;

class RecorderMetronome : public RecorderTest {
  protected:
    frmRecord& withPanel(const std::string& beats, float tempo = 120) {
        editor->settings.tempo = tempo;
        editor->settings.timeNum = beats;
        frmRecord& f = shownRecorder();
        f.cmdMetronome_Click();
        EXPECT_EQ(f.cmdMetronome.Caption(), "<<&Metronome");
        EXPECT_EQ(f.Width(), frmRecord::kUnfoldedWidth);
        return f;
    }
    // Clock time of the first command string that starts with `text`, from the start of `t0`.
    int64_t sentAt(const std::string& text) const {
        for (size_t i = 0; i < mci.size(); ++i)
            if (mci[i] == text) return mciTimes[i];
        return -1;
    }
};

TEST_F(RecorderMetronome, CountsInOneBarAndStartsTheTakeOnTheDownbeat) {
    G().Volume = 80;
    frmRecord& f = withPanel("4");
    int cancel = 0;
    const int64_t t0 = ui.now();
    f.MMControl_RecordClick(cancel);
    EXPECT_EQ(f.RecordState(), "RecordStarted");
    EXPECT_EQ(f.StatusBar.Text(), "STAND BY...");
    EXPECT_EQ(f.lblCounter.ForeColor(), frmRecord::kRed);
    EXPECT_EQ(f.cmdTest.Caption(), "S&top");
    EXPECT_FALSE(f.cmdMasterBrowse.Enabled());
    ASSERT_GE(midi.events.size(), 2u);
    EXPECT_EQ(midi.events[0].what, "open");
    EXPECT_EQ(midi.events[1].what, "c0 73");  // woodblock, program 115
    EXPECT_EQ(midi.events[1].ms, t0);

    // The timer's first tick comes 1 ms after the start; the beats after it fall on the
    // schedule anchored at the start.
    std::vector<std::string> counters;
    for (int beat = 0; beat < 4; ++beat) {
        ui.advance(beat == 0 ? 1 : 500);
        counters.push_back(f.lblCounter.Caption());
    }
    EXPECT_EQ(counters, (std::vector<std::string>{"0:1", "0:2", "0:3", "0:4"}));
    feed(1200);
    ui.advance(1000);  // to 2501 ms
    EXPECT_EQ(sentAt("record wavefile") - t0, 2000);
    EXPECT_EQ(f.RecordState(), "Record");
    EXPECT_EQ(f.lblCounter.ForeColor(), frmRecord::kGreen);
    EXPECT_EQ(f.lblCounter.Caption(), "1:2");
    const auto clicks = midi.clicks();
    ASSERT_GE(clicks.size(), 6u);
    const std::vector<std::pair<int64_t, int>> expected{{t0 + 1, 60},    {t0 + 500, 55},
                                                        {t0 + 1000, 55}, {t0 + 1500, 55},
                                                        {t0 + 2000, 60}, {t0 + 2500, 55}};
    EXPECT_EQ(std::vector(clicks.begin(), clicks.begin() + 6), expected);
    EXPECT_EQ(midi.events.back().what, "90 37 50");  // velocity: the volume

    ui.advance(299);
    f.MMControl_StopClick(cancel);
    EXPECT_EQ(f.TakeLengthMs(), 800);  // from the downbeat
    EXPECT_EQ(midi.events[midi.events.size() - 2].what, "reset");
    EXPECT_EQ(midi.events.back().what, "close");
    EXPECT_EQ(f.cmdTest.Caption(), "&Test");
    EXPECT_TRUE(f.cmdMasterBrowse.Enabled());

    // Play-back with the panel open: no MIDI port, a silent counter, the end at the take length.
    const size_t events = midi.events.size();
    const int64_t played = ui.now();
    f.MMControl_PlayClick(cancel);
    ui.advance(1);
    EXPECT_EQ(f.lblCounter.Caption(), "1:1");
    ui.advance(798);
    EXPECT_EQ(f.RecordState(), "Play");
    EXPECT_EQ(f.lblCounter.Caption(), "1:2");
    ui.advance(1);
    EXPECT_EQ(f.RecordState(), "Idle");
    EXPECT_EQ(mciTimes.back() - played, 800);
    EXPECT_EQ(midi.events.size(), events);
    ui.expectFileDialog({}).cancel();
}

TEST_F(RecorderMetronome, AutoMetreHasNoCountInAndEveryClickIsTheSame) {
    frmRecord& f = withPanel("Auto");
    int cancel = 0;
    const int64_t t0 = ui.now();
    f.MMControl_RecordClick(cancel);
    ui.advance(1);
    EXPECT_EQ(sentAt("record wavefile"), t0 + 1);  // the first tick is the downbeat
    EXPECT_EQ(f.lblCounter.Caption(), "0");
    ui.advance(1000);
    EXPECT_EQ(f.lblCounter.Caption(), "2");
    for (const auto& [ms, key] : midi.clicks()) EXPECT_EQ(key, 55) << ms;
    EXPECT_EQ(midi.clicks().size(), 3u);
    f.MMControl_StopClick(cancel);

    // Beats below 1 count as "Auto" too.
    f.txtTimeNum.setText("0");
    f.cmdTest_Click();
    ui.advance(1);
    EXPECT_EQ(midi.clicks().back().second, 55);
    f.cmdTest_Click();
    ui.expectFileDialog({}).cancel();
}

TEST_F(RecorderMetronome, ALateTickPlaysOneBeatAndTheNextTheOverdueOne) {
    frmRecord& f = withPanel("4");
    f.cmdTest_Click();                 // a test: clicks, no counter
    f.tmrMetronome.setEnabled(false);  // the ticks come late
    ui.advance(750);                   // 1.5 periods
    f.tmrMetronome.setEnabled(true);
    f.tmrMetronome_Timer();
    EXPECT_EQ(midi.clicks().size(), 1u);
    f.tmrMetronome_Timer();
    EXPECT_EQ(midi.clicks().size(), 2u);
    f.tmrMetronome_Timer();
    EXPECT_EQ(midi.clicks().size(), 2u);  // the schedule has caught up
    EXPECT_EQ(f.lblCounter.Caption(), "");
    // Play stops the test first: the port is closed, not left open (there is no take to play).
    int cancel = 0;
    ui.expectBox({.title = "Open Play"}).answer(ui::Answer::OK);
    f.MMControl_PlayClick(cancel);
    EXPECT_EQ(midi.events.back().what, "close");
    EXPECT_EQ(f.cmdTest.Caption(), "&Test");
}

TEST_F(RecorderMetronome, PlaybackEndsAtTheTakeLengthForATakeRecordedWithoutThePanel) {
    frmRecord& f = shownRecorder();
    recordTake(f, 1700);
    EXPECT_EQ(f.TakeLengthMs(), 1700);
    f.cmdMetronome_Click();
    int cancel = 0;
    const int64_t played = ui.now();
    f.MMControl_PlayClick(cancel);
    ui.advance(1699);
    EXPECT_EQ(f.RecordState(), "Play");
    ui.advance(1);
    EXPECT_EQ(f.RecordState(), "Idle");
    EXPECT_EQ(mciTimes.back() - played, 1700);
    // A test of the metronome leaves the take's length alone.
    f.cmdTest_Click();
    ui.advance(3000);
    f.cmdTest_Click();
    EXPECT_EQ(f.TakeLengthMs(), 1700);
    ui.expectFileDialog({}).cancel();
}

TEST_F(RecorderMetronome, OpenErrorsAreShownTitledMetronome) {
    frmRecord& f = withPanel("4");
    for (const auto& c : test_boxes::midiOpenErrors()) {
        SCOPED_TRACE(c.result);
        midi.openResult = c.result;
        ui.expectBox(Box(c.text, "Metronome", 48, 97)).answer(ui::Answer::OK);
        f.cmdTest_Click();
        EXPECT_FALSE(f.tmrMetronome.Enabled());
        EXPECT_EQ(f.cmdTest.Caption(), "&Test");
        EXPECT_TRUE(f.cmdMasterBrowse.Enabled());
    }
    EXPECT_TRUE(midi.events.empty());
}

TEST_F(RecorderMetronome, StopDuringTheCountInSavesNothingToPlay) {
    frmRecord& f = withPanel("3");
    int cancel = 0;
    f.MMControl_RecordClick(cancel);
    ui.advance(700);
    EXPECT_EQ(f.lblCounter.Caption(), "0:2");
    const size_t stop = mci.size();
    f.MMControl_StopClick(cancel);
    EXPECT_EQ(sentSince(stop),
              (std::vector<std::string>{"stop wavefile", "save wavefile " + quoted(takePath()),
                                        "close wavefile"}));
    EXPECT_EQ(f.StatusBar.Text(), "Ready to Record");
    EXPECT_FALSE(f.MMControl.PlayEnabled());
    EXPECT_TRUE(f.MMControl.RecordEnabled());
    EXPECT_TRUE(f.TakeSaved());
    EXPECT_EQ(midi.events.back().what, "close");
    EXPECT_EQ(sentAt("record wavefile"), -1);
}

TEST_F(RecorderMetronome, ClicksOnTheFirstPartsChannelOrOnChannelOne) {
    struct Case {
        int32_t channel;
        const char* program;
        const char* note;
    } cases[] = {{3, "c2 73", "92 3c 3f"}, {0, "c0 73", "90 3c 3f"}, {17, "c0 73", "90 3c 3f"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channel);
        G().EnsChannel[0] = c.channel;
        frmRecord& f = withPanel("4");
        midi.events.clear();
        f.cmdTest_Click();
        ui.advance(1);
        f.cmdTest_Click();
        ASSERT_GE(midi.events.size(), 3u);
        EXPECT_EQ(midi.events[1].what, c.program);
        EXPECT_EQ(midi.events[2].what, c.note);
        ui::Release<frmRecord>();
    }
    EXPECT_FALSE(ui::forms::existing<frmEns>());  // read without loading the editor

    // While the ensemble editor is open, its first channel box counts.
    frmEns& e = ui::Load<frmEns>();
    G().EnsChannel[0] = 9;
    const int boxChannel = std::stoi(e.txtChannel(0).Text());
    ASSERT_NE(boxChannel, 9);
    char program[8];
    std::snprintf(program, sizeof program, "c%x 73", boxChannel - 1);
    frmRecord& f = withPanel("4");
    midi.events.clear();
    f.cmdTest_Click();
    ui.advance(1);
    f.cmdTest_Click();
    ASSERT_GE(midi.events.size(), 2u);
    EXPECT_EQ(midi.events[1].what, program);
}

}  // namespace
}  // namespace velt::desk::test_recorder

// The metronome of the recording window: clicks on the MIDI output during a test, one bar of
// count-in before a take with the take started on the downbeat, the bar and beat counter and the
// light, all on one 1 ms timer that compares the multimedia clock itself and handles at most one
// beat per tick (a late tick plays one beat; the next tick the overdue one).
#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/test_note.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/media/frm_record.h"
#include "platform/clock/mm_time.h"

namespace velt::desk {

namespace {

constexpr int32_t kWoodblock = 115;

// The channel of the first ensemble part: the ensemble editor's first channel box while it is
// loaded, else the working ensemble. The editor is never loaded for this (its load would leave a
// hidden instance with stale rows). A muted part (0) or anything outside 1..16 clicks on
// channel 1.
int32_t metronomeChannel() {
    const std::optional<std::string> box =
        Windows().ensembleFirstChannel ? Windows().ensembleFirstChannel() : std::nullopt;
    const double channel = box ? Val(*box) : G().EnsChannel[0];
    return channel >= 1 && channel <= 16 ? static_cast<int32_t>(channel) : 1;
}

}  // namespace

bool frmRecord::metronomePanelOpen() const {
    return cmdMetronome.Caption() == "<<&Metronome";
}

int32_t frmRecord::beatsPerMeasure() const {
    const std::string text = txtTimeNum.Text();
    if (text == "Auto") return 0;
    const double beats = Val(text);
    return beats < 1 ? 0 : static_cast<int32_t>(beats);
}

void frmRecord::cmdMetronome_Click() {
    if (cmdMetronome.Caption() == "&Metronome>>") {
        cmdMetronome.setCaption("<<&Metronome");
        setWidth(kUnfoldedWidth);
    } else {
        cmdMetronome.setCaption("&Metronome>>");
        setWidth(kFoldedWidth);
    }
}

void frmRecord::cmdTest_Click() {
    if (cmdTest.Caption() == "&Test") {
        StartMetronome();
    } else {
        stopMetronomeRun();
    }
}

void frmRecord::stopMetronomeRun() {
    tmrMetronome.setEnabled(false);
    cmdMasterBrowse.setEnabled(true);
    cmdMasterEdit.setEnabled(true);
    StopMetronome();
}

void frmRecord::StartMetronome() {
    Global& g = G();
    beatPeriod_ = 60000.0f / RecordTempo;
    if (recordState_ != "Play") {
        if (OpenTestTonePort(g.MidiDevice) != 0) {
            ShowMessage(testNoteError(g.MidiResult), ui::Exclamation, "Metronome",
                        help_topic::MidiAndAudioDeviceErrors);
            return;
        }
        midiPortOpen_ = true;
        SetMetronomeProgram(metronomeChannel() - 1, kWoodblock);
        beatCounter_ = -beatsPerMeasure();
    } else {
        beatCounter_ = 0;  // play-back runs the counter silently from the downbeat
    }
    nextBeatTime_ = 0;
    if (!metronomePeriodHeld_) metronomePeriodHeld_ = platform::timeBeginPeriod(1) == 0;
    tmrMetronome.setEnabled(true);
    cmdMasterBrowse.setEnabled(false);
    cmdMasterEdit.setEnabled(false);
    metronomeStart_ = platform::timeGetTime();
    cmdTest.setCaption("S&top");
}

void frmRecord::StopMetronome() {
    if (metronomePeriodHeld_) platform::timeEndPeriod(1);
    metronomePeriodHeld_ = false;
    if (midiPortOpen_) {
        EndTestTone();
        midiPortOpen_ = false;
    }
    cmdTest.setCaption("&Test");
}

void frmRecord::PlaySound() {
    if (!midiPortOpen_) return;
    const int32_t beats = beatsPerMeasure();
    const bool firstBeat = beats != 0 && beatCounter_ % beats == 0;
    SendMetronomeClick(metronomeChannel() - 1, firstBeat, -sldVolume.Value());
}

void frmRecord::tmrMetronome_Timer() {
    const uint32_t elapsed = platform::timeGetTime() - metronomeStart_;
    if (recordState_ == "Play" && static_cast<int64_t>(elapsed) >= takeLengthMs_) {
        mmControl_Done(0);  // play-back ends at the length of the take
        return;
    }
    if (static_cast<float>(elapsed) < nextBeatTime_) return;

    lightImage_ = lightImage_ == 2 ? 1 : 2;
    picMetronome.setPicture(imglstMetronome.ListImages(lightImage_).getPicture());
    const int32_t beats = beatsPerMeasure();
    const bool auto_ = beats == 0;
    if (recordState_ == "RecordStarted") {
        if (beatCounter_ != 0) {
            lblCounter.setCaption("0:" + std::to_string(beats + 1 + beatCounter_));
            PlaySound();
        } else {
            setCounterColour(kGreen);
            lblCounter.setCaption(auto_ ? "0" : "1:1");
            StartRecording();
            if (RecordFile.empty()) PlaySound();
        }
    } else if (recordState_ == "Record" || recordState_ == "Play") {
        lblCounter.setCaption(auto_ ? std::to_string(beatCounter_)
                                    : std::to_string(beatCounter_ / beats + 1) + ":" +
                                          std::to_string(beatCounter_ % beats + 1));
        if (recordState_ == "Record" && RecordFile.empty()) PlaySound();
    } else {
        PlaySound();  // a test: no counter
    }
    ++beatCounter_;
    nextBeatTime_ += beatPeriod_;
    if (G().WizardRunning) {
        wizardPage().counter(lblCounter.Caption(), lblCounter.ForeColor());
        wizardPage().saveEnabled(cmdSave.Enabled());
        wizardPage().light(picMetronome.getPicture());
    }
}

}  // namespace velt::desk

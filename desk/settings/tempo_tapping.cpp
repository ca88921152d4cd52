// Tempo tapping: playing the audio for it (cmdPlay_Click), the taps (cmdTempoTapper_Click), the
// end of a take with its verdict (cmdStop_Click) and the Tap Extender's padding (ExtendTaps).
// Times come from the multimedia millisecond clock, which is the runtime's clock; the playback is
// the dialog's media control on "~temp.wav" in the temporary folder.
#include <filesystem>
#include <system_error>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/frm_tapper.h"
#include "desk/settings/numbers.h"
#include "desk/settings/tempo_taps.h"
#include "platform/clock/mm_time.h"
#include "platform/mci/mci_error.h"

namespace velt::desk {

namespace {

// The media control's error shown as the tapping dialog shows it: the text, titled by the step.
void mediaError(const std::string& text, const std::string& title) {
    ShowMessage(text, ui::Exclamation, title, help_topic::MidiAndAudioDeviceErrors);
}

std::string errorText(int32_t error) {
    std::string text;
    platform::mci::mciGetErrorString(error, text);
    return text;
}

// Milliseconds between two readings of the wrapping 32-bit multimedia clock.
int64_t msBetween(int64_t earlier, int64_t later) {
    return static_cast<uint32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

}  // namespace

void frmProperties::cmdPlay_Click() {
    Global& g = G();
    MMControl.setCommand("Close");
    const std::string temp = g.TempFolder + "/~temp.wav";
    if (CurrentAudioFile.empty()) {
        // A project without an audio file (live, or the wizard before one is chosen): nothing
        // to play, and an old copy must not play in its place.
        mediaError(errorText(platform::mci::kMciFileNotFound), "Open");
        return;
    }
    if (g.SourceAudioFile.empty() || !g.WaveReady) {
        std::error_code error;
        const bool same = std::filesystem::equivalent(CurrentAudioFile, temp, error);
        // The copy of the file onto itself would truncate it: the file is played as it is.
        if (!same) {
            std::filesystem::copy_file(CurrentAudioFile, temp,
                                       std::filesystem::copy_options::overwrite_existing, error);
            if (error) {
                std::filesystem::remove(temp, error);
                mediaError(errorText(std::filesystem::exists(CurrentAudioFile, error)
                                         ? platform::mci::kMciWriteFailed
                                         : platform::mci::kMciFileNotFound),
                           "Open");
                return;
            }
        }
    }
    MMControl.setFileName(temp);
    MMControl.setCommand("Open");
    if (MMControl.Error() != 0) {
        mediaError(MMControl.ErrorMessage(), "Open");
        return;
    }
    MMControl.setCommand("Play");
    if (MMControl.Error() != 0) {
        mediaError(MMControl.ErrorMessage(), "Play");
        MMControl.setCommand("Close");
        return;
    }
    platform::timeBeginPeriod(1);
    LastTapTime = platform::timeGetTime();
    TapCount = 0;
    TapBuffer.clear();
    cmdPlay.setEnabled(false);
    cmdStop.setEnabled(true);
    cmdTempoTapper.setEnabled(true);
    if (!g.WizardRunning) cmdTempoTapper.SetFocus();
}

void frmProperties::cmdTempoTapper_Click() {
    const int64_t now = platform::timeGetTime();
    const int64_t gap = msBetween(LastTapTime, now);
    if (TapCount == 0) {
        FirstTapOffset = static_cast<float>(gap) / 1000.0f;
        FirstTapTime = now;
        BeatCount = 0;
        lblBeatCountVal.setCaption(G().Transcribe != 0 ? "1:1" : "0");
    } else {
        switch (ClassifyTapGap(gap)) {
            case TapGap::SameMillisecond:
                return;  // no time between two taps: the later one counts for nothing
            case TapGap::TooLong:
                TapCount = -1;
                cmdStop_Click();
                return;
            case TapGap::Kept:
                break;
        }
        AppendTapGap(TapBuffer, gap);
        ++BeatCount;
        lblBeatCountVal.setCaption(beatCounterText());
        if (TapCount > 1) {
            // The taps up to the previous one: LastTapTime has not moved yet.
            if (auto tempo = TappedTempo(TapCount, msBetween(FirstTapTime, LastTapTime))) {
                WorkTempo = static_cast<float>(*tempo);
                txtTempo.setText(std::to_string(TempoBoxNumber(*tempo)));
                SetTempoGauge();
            }
        }
    }
    ++TapCount;
    LastTapTime = now;
}

void frmProperties::cmdStop_Click() {
    if (!cmdStop.Enabled()) return;
    MMControl.setCommand("Stop");
    MMControl.setCommand("Close");
    platform::timeEndPeriod(1);
    TapStatus = TapCount;
    switch (TapCount) {
        case -2:
            ShowMessage("Tempo recording canceled and will be discarded.", ui::Information,
                        "Project");
            break;
        case -1:
            ShowMessage("You waited too long between taps.  New tempo recording will be discarded.",
                        ui::Exclamation, "Project", help_topic::TappingPauseTooLong);
            break;
        case 0:
            break;
        case 1:
            ShowMessage("Not enough taps.  New tempo recording will be discarded.", ui::Exclamation,
                        "Project", help_topic::TappingTooFewTaps);
            break;
        default: {
            auto tempo = TappedTempo(TapCount, msBetween(FirstTapTime, LastTapTime));
            if (!tempo) break;  // cannot happen: every kept gap is at least 1 ms
            WorkTempo = static_cast<float>(*tempo);
            txtTempo.setText(std::to_string(TempoBoxNumber(*tempo)));
            SetTempoGauge();
            WorkTaps = TapBuffer;
            chkEntireRange.setValue(0);
            chkTempoDetect.setValue(0);
            chkAutoTiming.setValue(0);
            chkTempoDetect.setEnabled(true);
            WorkStart = FirstTapOffset;
            if (!G().WizardRunning) {
                auto& tapper = ui::Load<frmTapper>();
                tapper.Show(ui::Modal);
                ExtendToStart = tapper.ExtendToStart;
                ExtendToEnd = tapper.ExtendToEnd;
                ui::Release<frmTapper>();
                // The modal Tap Extender hands the front back to this dialog as it closes.
                ExtendTaps();
            }
        }
    }
    CheckTempoStatus();
    cmdStop.setEnabled(false);
    cmdTempoTapper.setEnabled(false);
    cmdPlay.setEnabled(true);
    cmdApply.setEnabled(true);
}

void frmProperties::ExtendTaps() {
    Global& g = G();
    const int32_t beats = Val(txtTimeNum.Text()) > 0 ? ToLong(Val(txtTimeNum.Text())) : 0;
    int32_t selStart = 0;
    if (ExtendToStart) {
        TapPadding padding = PadTapsToStart(WorkStart, WorkTempo, beats);
        TapCount = padding.beats;
        WorkTaps = padding.gaps + WorkTaps;
        WorkStart = padding.start;
        BeatCount += TapCount;
        lblBeatCountVal.setCaption(beatCounterText());
        txtStartPoint.setText(FormatHMS(0));
    } else {
        selStart = FloorLong(WorkStart);
        txtStartPoint.setText(FormatHMS(selStart));
    }
    sldTimeRange.setSelStart(selStart);
    if (ExtendToEnd) {
        g.AudioLength = ExactAudioSeconds;
    } else {
        g.AudioLength =
            static_cast<float>(msBetween(FirstTapTime, LastTapTime)) / 1000.0f + FirstTapOffset;
    }
    const int32_t end = FloorLong(g.AudioLength);
    txtEndPoint.setText(FormatHMS(end));
    sldTimeRange.setSelLength(end - selStart);
}

}  // namespace velt::desk

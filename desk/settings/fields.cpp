// The numeric fields: each box selects and remembers its text on focus, filters keys, and on
// leaving replaces an out-of-range value by the nearer bound and unreadable text by the text it
// had on focus. Tempo and speed are also checked on every change that is not the user's own edit
// (loading, tapping, the spinners), so what code writes is held at once, while a number being
// typed ("1" on the way to "120") is left alone until the box is left.
#include <algorithm>
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/channel_allocation.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/settings/data_files.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

namespace {

constexpr int32_t kDrumChannel = 10;

// A box text that reads as a channel, 1..16.
bool ReadsChannel(const std::string& text) {
    double v = 0;
    return ReadBoxNumber(text, v) && v >= 1 && v <= 16;
}

bool allowed(int key, const std::string& extra) {
    return key == 8 || (key >= '0' && key <= '9') ||
           (key > 0 && key < 256 && extra.find(static_cast<char>(key)) != std::string::npos);
}

}  // namespace

void frmProperties::rememberFocus(ui::TextBox& box) {
    boxMemory_.remember(box);
    FocusControl = box.Text();
    FocusedBox = &box;
}

void frmProperties::txtHalfSteps_Change() {
    edited();
}
void frmProperties::txtHalfSteps_GotFocus() {
    rememberFocus(txtHalfSteps);
}
void frmProperties::txtHalfSteps_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, "-")) KeyAscii = 0;
}
void frmProperties::txtHalfSteps_LostFocus() {
    HoldBoxNumber(txtHalfSteps, -11, 11, remembered(txtHalfSteps));
}

void frmProperties::txtOctaves_Change() {
    edited();
}
void frmProperties::txtOctaves_GotFocus() {
    rememberFocus(txtOctaves);
}
void frmProperties::txtOctaves_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, "-")) KeyAscii = 0;
}
void frmProperties::txtOctaves_LostFocus() {
    HoldBoxNumber(txtOctaves, -10, 10, remembered(txtOctaves));
    txtPitchMode_Change();
}

void frmProperties::txtPitchMode_Change() {
    edited();
    // What the user types is taken when the box is left: a "1" on the way to "16" must not reset
    // the gain, nor an erased box come back before the new number is typed.
    if (txtPitchMode.UserEdit()) return;
    applyPolyphony();
}
void frmProperties::applyPolyphony() {
    ui::DoEvents();
    double v = 0;
    if (!ReadBoxNumber(txtPitchMode.Text(), v)) {
        const std::string* before = remembered(txtPitchMode);
        if (!Loading && before) txtPitchMode.setText(*before);
        return;
    }
    if (v <= 1) {
        ResetGainSlider();
        lblCCBright.setEnabled(true);
        cboCCBright.setEnabled(true);
    } else {
        if (!CurrentAudioFile.empty()) chkAutoDetectNote.setValue(1);
        lblCCBright.setEnabled(false);
        cboCCBright.setEnabled(false);
    }
}
void frmProperties::txtPitchMode_GotFocus() {
    rememberFocus(txtPitchMode);
}
void frmProperties::txtPitchMode_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, "")) KeyAscii = 0;
}
void frmProperties::txtPitchMode_LostFocus() {
    HoldBoxNumber(txtPitchMode, 1, 128, remembered(txtPitchMode));
    applyPolyphony();  // what was typed counts now
}

void frmProperties::txtReferencePitch_Change() {
    edited();
    double v = 0;
    if (ReadBoxNumber(txtReferencePitch.Text(), v) && v > 0) {
        std::string shown = Val(txtReferencePitch.Text()) == std::floor(v)
                                ? std::to_string(ToLong(v))
                                : FormatSingle(static_cast<float>(v));
        txtReferencePitch.setText("+" + shown);
    }
}
void frmProperties::txtReferencePitch_GotFocus() {
    rememberFocus(txtReferencePitch);
}
void frmProperties::txtReferencePitch_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, "-+")) KeyAscii = 0;
}
void frmProperties::txtReferencePitch_LostFocus() {
    HoldBoxNumber(txtReferencePitch, -50, 50, remembered(txtReferencePitch));
}

void frmProperties::txtSpeed_Change() {
    edited();
    if (txtSpeed.UserEdit()) {
        SetSpeedGauge();  // the needle follows the number being typed
        return;
    }
    txtSpeed_LostFocus();
}
void frmProperties::txtSpeed_GotFocus() {
    rememberFocus(txtSpeed);
}
void frmProperties::txtSpeed_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, ".%")) KeyAscii = 0;
}
void frmProperties::txtSpeed_LostFocus() {
    // Text that holds no number ("%", pasted letters) gets back the text it had on focus.
    double v = 0;
    if (!ReadBoxNumber(txtSpeed.Text(), v)) {
        const std::string* before = remembered(txtSpeed);
        if (before && *before != txtSpeed.Text()) {
            txtSpeed.setText(*before);
            return;
        }
        v = 0;
    }
    if (v > 400)
        txtSpeed.setText("400");
    else if (v < 25)
        txtSpeed.setText("25");
    SetSpeedGauge();
    txtSpeed.setText(FormatSingle(static_cast<float>(Val(txtSpeed.Text()))) + "%");
}

void frmProperties::txtTempo_Change() {
    edited();
    if (txtTempo.UserEdit()) {
        SetTempoGauge();
        return;
    }
    txtTempo_LostFocus();
}
void frmProperties::txtTempo_GotFocus() {
    rememberFocus(txtTempo);
}
void frmProperties::txtTempo_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, ".,")) KeyAscii = 0;
}
void frmProperties::txtTempo_LostFocus() {
    double v = 0;
    if (!ReadBoxNumber(txtTempo.Text(), v)) {
        const std::string* before = remembered(txtTempo);
        if (before) txtTempo.setText(*before);
        return;
    }
    if (v > 1080) {
        txtTempo.setText("1080");
        WorkTempo = 1080;
    } else if (v < 5) {
        txtTempo.setText("5");
        WorkTempo = 5;
    } else if (txtTempo.Enabled()) {
        WorkTempo = static_cast<float>(v);
    }
    SetTempoGauge();
}

void frmProperties::txtTimeNum_Change() {
    edited();
    int32_t beats = ToLong(Val(txtTimeNum.Text()));
    LoadChordRes(beats);
    if (BeatCount != 0) {
        if (Val(txtTimeNum.Text()) > 0 && G().Transcribe != 0 && beats > 0)
            lblBeatCountVal.setCaption(std::to_string(BeatCount / beats + 1) + ":" +
                                       std::to_string(BeatCount % beats + 1));
        else
            lblBeatCountVal.setCaption(std::to_string(BeatCount));
    } else {
        lblBeatCountVal.setCaption("");
    }
}
void frmProperties::txtTimeNum_GotFocus() {
    rememberFocus(txtTimeNum);
}
void frmProperties::txtTimeNum_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, "")) KeyAscii = 0;
}
void frmProperties::txtTimeNum_LostFocus() {
    HoldBoxNumber(txtTimeNum, 1, 99, remembered(txtTimeNum));
}
void frmProperties::spnTimeNum_Change() {
    if (txtTimeNum.Text() == "0") txtTimeNum.setText("Auto");
}

// Master pitch range.

void frmProperties::txtKeyMax_Change() {
    edited();
}
void frmProperties::txtKeyMax_GotFocus() {
    txtKeyMax.setSelStart(0);
    txtKeyMax.setSelLength(static_cast<int>(txtKeyMax.Text().size()));
}
void frmProperties::txtKeyMax_LostFocus() {
    int32_t v = KeyToVal(txtKeyMax.Text());
    if (v == -1) {
        ShowMessage("Invalid High Note.", ui::Exclamation, "Project", help_topic::InvalidHighNote);
        txtKeyMax.SetFocus();
        return;
    }
    WorkKeyMax = v > TopNote ? TopNote : v < WorkKeyMin ? WorkKeyMin : v;
    sldNoteRange.setSelStart(-WorkKeyMax);
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    txtKeyMax.setText(ValToKey(WorkKeyMax));
}

void frmProperties::txtKeyMin_Change() {
    edited();
}
void frmProperties::txtKeyMin_GotFocus() {
    txtKeyMin.setSelStart(0);
    txtKeyMin.setSelLength(static_cast<int>(txtKeyMin.Text().size()));
}
void frmProperties::txtKeyMin_LostFocus() {
    int32_t v = KeyToVal(txtKeyMin.Text());
    if (v == -1) {
        ShowMessage("Invalid Low Note.", ui::Exclamation, "Project", help_topic::InvalidLowNote);
        txtKeyMin.SetFocus();
        return;
    }
    WorkKeyMin = v > WorkKeyMax ? WorkKeyMax : v < 0 ? 0 : v;
    txtKeyMin.setText(ValToKey(WorkKeyMin));
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
}

// Time range.

void frmProperties::txtStartPoint_Change() {
    edited();
}
void frmProperties::txtStartPoint_GotFocus() {
    txtStartPoint.setSelStart(0);
    txtStartPoint.setSelLength(static_cast<int>(txtStartPoint.Text().size()));
}
void frmProperties::txtStartPoint_LostFocus() {
    int32_t s = ParseHMS(txtStartPoint.Text());
    if (s == -1) {
        ShowMessage("Invalid Start Time format.", ui::Exclamation, "Project",
                    help_topic::StartTimeFormat);
        txtStartPoint.SetFocus();
    } else {
        int32_t e = ParseHMS(txtEndPoint.Text());
        if (s <= e) {
            sldTimeRange.setSelStart(s);
            sldTimeRange.setSelLength(e - s);
            txtStartPoint.setText(FormatHMS(s));
        } else {
            txtStartPoint.setText(txtEndPoint.Text());
            sldTimeRange.setSelStart(e);
            sldTimeRange.setSelLength(0);
        }
    }
    WorkStart = static_cast<float>(ParseHMS(txtStartPoint.Text()));
}

void frmProperties::txtEndPoint_Change() {
    edited();
}
void frmProperties::txtEndPoint_GotFocus() {
    txtEndPoint.setSelStart(0);
    txtEndPoint.setSelLength(static_cast<int>(txtEndPoint.Text().size()));
}
void frmProperties::txtEndPoint_LostFocus() {
    int32_t e = ParseHMS(txtEndPoint.Text());
    if (e == -1) {
        ShowMessage("Invalid End Time format.", ui::Exclamation, "Project",
                    help_topic::EndTimeFormat);
        txtEndPoint.SetFocus();
        return;
    }
    int32_t s = ParseHMS(txtStartPoint.Text());
    if (e > AudioSeconds) {
        txtEndPoint.setText(FormatHMS(AudioSeconds));
        sldTimeRange.setSelLength(AudioSeconds - s);
    } else if (e < s) {
        txtEndPoint.setText(txtStartPoint.Text());
        sldTimeRange.setSelLength(0);
    } else if (s != -1) {
        txtEndPoint.setText(FormatHMS(e));
        sldTimeRange.setSelLength(e - s);
    }
}

void frmProperties::spnStartPoint_DownClick() {
    int32_t s = ParseHMS(txtStartPoint.Text());
    if (s > 0) txtStartPoint.setText(FormatHMS(s - 1));
    txtStartPoint_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnStartPoint_UpClick() {
    txtStartPoint.setText(FormatHMS(ParseHMS(txtStartPoint.Text()) + 1));
    txtStartPoint_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnEndPoint_DownClick() {
    int32_t e = ParseHMS(txtEndPoint.Text());
    if (e > 0) txtEndPoint.setText(FormatHMS(e - 1));
    txtEndPoint_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnEndPoint_UpClick() {
    txtEndPoint.setText(FormatHMS(ParseHMS(txtEndPoint.Text()) + 1));
    txtEndPoint_LostFocus();
    ui::DoEvents();
}

void frmProperties::spnKeyMax_DownClick() {
    if (WorkKeyMax > WorkKeyMin) --WorkKeyMax;
    txtKeyMax.setText(ValToKey(WorkKeyMax));
    txtKeyMax_LostFocus();
    sldNoteRange.setSelStart(-WorkKeyMax);
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}
void frmProperties::spnKeyMax_UpClick() {
    if (WorkKeyMax < TopNote) ++WorkKeyMax;
    txtKeyMax.setText(ValToKey(WorkKeyMax));
    txtKeyMax_LostFocus();
    sldNoteRange.setSelStart(-WorkKeyMax);
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}
void frmProperties::spnKeyMin_DownClick() {
    if (WorkKeyMin > 0) --WorkKeyMin;
    txtKeyMin.setText(ValToKey(WorkKeyMin));
    txtKeyMin_LostFocus();
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}
void frmProperties::spnKeyMin_UpClick() {
    if (WorkKeyMin < WorkKeyMax) ++WorkKeyMin;
    txtKeyMin.setText(ValToKey(WorkKeyMin));
    txtKeyMin_LostFocus();
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}

// The speed spinner steps by 5 while the box is inside 25..400; a step past a bound (397 up gives
// 402) is held to it by the box's own check, which its change handler runs.
void frmProperties::spnSpeed_DownClick() {
    double v = Val(txtSpeed.Text());
    if (v > 25) {
        txtSpeed.setText(FormatSingle(static_cast<float>(v - 5)));
        SetSpeedGauge();
    }
}
void frmProperties::spnSpeed_UpClick() {
    double v = Val(txtSpeed.Text());
    if (v < 400) {
        txtSpeed.setText(FormatSingle(static_cast<float>(v + 5)));
        SetSpeedGauge();
    }
}

void frmProperties::sldGain_Scroll() {
    edited();
}
void frmProperties::sldInputThreshold_Scroll() {
    edited();
}
void frmProperties::sldOutputThreshold_Scroll() {
    edited();
}
void frmProperties::sldStereoPan_Scroll() {
    edited();
}
void frmProperties::sldNoteRange_Scroll() {
    edited();
}
void frmProperties::sldTimeRange_Scroll() {
    edited();
}

void frmProperties::sldNoteRange_MouseDown(int Button, int, double, double) {
    sldNoteRange.setValue(Button == 1 ? -WorkKeyMax : -WorkKeyMin);
}

void frmProperties::sldNoteRange_MouseUp(int Button, int, double, double) {
    if (Button == 1) {
        sldNoteRange.setSelStart(sldNoteRange.Value());
        WorkKeyMax = -sldNoteRange.Value();
        txtKeyMax.setText(ValToKey(WorkKeyMax));
        txtKeyMax_LostFocus();
        if (WorkKeyMax < WorkKeyMin) {
            sldNoteRange.setSelLength(0);
            WorkKeyMin = WorkKeyMax;
            txtKeyMin.setText(txtKeyMax.Text());
            txtKeyMin_LostFocus();
            return;
        }
    } else {
        WorkKeyMin = -sldNoteRange.Value();
        txtKeyMin.setText(ValToKey(WorkKeyMin));
        txtKeyMin_LostFocus();
        if (WorkKeyMax < WorkKeyMin) {
            sldNoteRange.setSelLength(0);
            WorkKeyMax = WorkKeyMin;
            txtKeyMax.setText(txtKeyMin.Text());
            txtKeyMax_LostFocus();
            return;
        }
    }
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
}

void frmProperties::sldTimeRange_MouseDown(int Button, int, double, double) {
    sldTimeRange.setValue(Button == 1 ? ParseHMS(txtEndPoint.Text())
                                      : ParseHMS(txtStartPoint.Text()));
}

void frmProperties::sldTimeRange_MouseUp(int Button, int, double, double) {
    int32_t value = sldTimeRange.Value();
    if (Button == 1) {
        txtEndPoint.setText(FormatHMS(value));
        int32_t length = value - sldTimeRange.SelStart();
        if (length >= 0) {
            sldTimeRange.setSelLength(length);
        } else {
            sldTimeRange.setSelLength(0);
            txtStartPoint.setText(txtEndPoint.Text());
        }
    } else {
        sldTimeRange.setSelStart(value);
        txtStartPoint.setText(FormatHMS(value));
        int32_t length = ParseHMS(txtEndPoint.Text()) - value;
        if (length >= 0) {
            sldTimeRange.setSelLength(length);
        } else {
            sldTimeRange.setSelLength(0);
            txtEndPoint.setText(txtStartPoint.Text());
        }
    }
}

// The single-instrument channel box.

void frmProperties::txtChannel_Change() {
    edited();
}
void frmProperties::txtChannel_GotFocus() {
    rememberFocus(txtChannel);
}
void frmProperties::txtChannel_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, "")) KeyAscii = 0;
}
void frmProperties::txtChannel_LostFocus() {
    // An emptied box gets back the text it had on focus (the project's channel when it never had
    // the focus), so the box always reads a channel.
    const std::string committed = std::to_string(std::clamp(G().MidiChan, 1, 16));
    const std::string* before = remembered(txtChannel);
    if (HoldBoxNumber(txtChannel, 1, 16, before ? before : &committed) == BoxCheck::Restored &&
        !ReadsChannel(txtChannel.Text()))
        txtChannel.setText(committed);
    const int32_t channel = ToLong(Val(txtChannel.Text()));
    if ((LastChannel == kDrumChannel) != (channel == kDrumChannel)) switchPatchList(channel);
}

// The instrument list follows the channel: the percussion sounds on channel 10, the instruments
// elsewhere. The default percussion sound is the twelfth line; while the dialog is being filled
// the project's own sound stays selected when the list has it.
void frmProperties::switchPatchList(int32_t channel) {
    const bool filling = Loading;
    cboMidiPatch.Clear();
    if (channel == kDrumChannel) {
        lblMidiPatch.setCaption("Assign to Percussion:");
        for (const std::string& line : ReadDataLines(PercussionListFile()))
            cboMidiPatch.AddItem(line);
    } else {
        lblMidiPatch.setCaption("Assign to Patch:");
        for (const std::string& line : ReadDataLines(FilterListFile()))
            cboMidiPatch.AddItem(ListEntry(line));
    }
    const int count = cboMidiPatch.ListCount();
    int row = channel == kDrumChannel && count > 11 ? 11 : count > 0 ? 0 : -1;
    if (filling && RowWithLeadingNumber(cboMidiPatch, WorkPatch) >= 0)
        row = RowWithLeadingNumber(cboMidiPatch, WorkPatch);
    Loading = true;  // the list's click handler does no side work
    if (row >= 0) cboMidiPatch.setListIndex(row);
    Loading = filling;
    WorkPatch = row >= 0 ? LeadingNumber(cboMidiPatch.List(row)) : 0;
    LastChannel = channel;
}

int32_t frmProperties::ChannelInBox() const {
    double v = 0;
    if (!ReadBoxNumber(txtChannel.Text(), v)) return std::clamp(G().MidiChan, 1, 16);
    return std::clamp(ToLong(v), 1, 16);
}

void frmProperties::spnChannel_DownClick() {
    txtChannel.setText(std::to_string(ToLong(Val(txtChannel.Text())) - 1));
    txtChannel_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnChannel_UpClick() {
    txtChannel.setText(std::to_string(ToLong(Val(txtChannel.Text())) + 1));
    txtChannel_LostFocus();
    ui::DoEvents();
}

void frmProperties::AssignChannels() {
    Global& g = G();
    // While the dialog is being filled the box holds the project's own channel, which the
    // example ensemble loaded by the layout switch must not replace.
    if (!Loading && Val(txtChannel.Text()) != 10) {
        const int channel = NextChannel(0, g.ChannelUsed);
        if (!g.ChannelUsed[static_cast<size_t>(channel)]) {
            txtChannel.setText(std::to_string(channel));
        } else {
            txtChannel.setText("1");
            ShowMessage("No MIDI channels remaining for Rerar Odaduza.",
                        ui::Critical + ui::SystemModal, "Rerar Odaduza");
        }
    }
    std::vector<ChannelRow> rows;
    for (int i = 0; i < PartCount; ++i) rows.push_back({g.EnsActive[i] == 1, g.EnsChannel[i]});
    const ChannelAllocation allocation = AllocateChannels(rows, g.ChannelUsed);
    for (int i = 0; i < PartCount; ++i)
        g.EnsChannel[i] = allocation.channels[static_cast<size_t>(i)];
    if (allocation.shortage)
        ShowMessage(
            "Not enough MIDI channels available for Rerar Odaduza. Please select a smaller "
            "ensemble.",
            ui::Critical + ui::SystemModal, "Rerar Odaduza");
}

}  // namespace velt::desk

// The numeric fields: each box selects and remembers its text on focus, filters keys, and on
// leaving replaces an out-of-range value by the nearer bound and unreadable text by the text it
// had on focus. Tempo and speed are checked on every change too.
#include <cctype>
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/instruments/channel_allocation.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

namespace {

constexpr int kExclamation = 48;

bool allowed(int key, const std::string& extra) {
    return key == 8 || (key >= '0' && key <= '9') ||
           (key > 0 && key < 256 && extra.find(static_cast<char>(key)) != std::string::npos);
}

// The text as a number, when it reads as one: optional blanks and sign, digits, "." or ",".
bool readNumber(const std::string& text, double& value) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return false;
    size_t digitsAt = i;
    if (text[digitsAt] == '+' || text[digitsAt] == '-') ++digitsAt;
    if (digitsAt >= text.size() || !std::isdigit(static_cast<unsigned char>(text[digitsAt])))
        if (digitsAt >= text.size() || text[digitsAt] != '.' || digitsAt + 1 >= text.size() ||
            !std::isdigit(static_cast<unsigned char>(text[digitsAt + 1])))
            return false;
    value = Val(text);
    return std::isfinite(value);
}

}  // namespace

void frmProperties::rememberFocus(ui::TextBox& box) {
    box.setSelStart(0);
    box.setSelLength(static_cast<int>(box.Text().size()));
    FocusControl = box.Text();
    FocusedBox = &box;
}

// Holds a box to [low, high]; unreadable text gets back the remembered text. True when the box
// now holds a number.
static bool holdBox(ui::TextBox& box, double low, double high, const std::string& remembered) {
    double v = 0;
    if (!readNumber(box.Text(), v)) {
        box.setText(remembered);
        return false;
    }
    if (v > high)
        box.setText(std::to_string(ToLong(high)));
    else if (v < low)
        box.setText(std::to_string(ToLong(low)));
    return true;
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
    holdBox(txtHalfSteps, -11, 11, FocusControl);
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
    holdBox(txtOctaves, -10, 10, FocusControl);
    txtPitchMode_Change();
}

void frmProperties::txtPitchMode_Change() {
    edited();
    ui::DoEvents();
    double v = 0;
    if (!readNumber(txtPitchMode.Text(), v)) {
        if (!Loading && !FocusControl.empty()) txtPitchMode.setText(FocusControl);
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
    holdBox(txtPitchMode, 1, 128, FocusControl);
}

void frmProperties::txtReferencePitch_Change() {
    edited();
    double v = 0;
    if (readNumber(txtReferencePitch.Text(), v) && v > 0) {
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
    holdBox(txtReferencePitch, -50, 50, FocusControl);
}

void frmProperties::txtSpeed_Change() {
    edited();
    txtSpeed_LostFocus();
}
void frmProperties::txtSpeed_GotFocus() {
    rememberFocus(txtSpeed);
}
void frmProperties::txtSpeed_KeyPress(int& KeyAscii) {
    if (!allowed(KeyAscii, ".%")) KeyAscii = 0;
}
void frmProperties::txtSpeed_LostFocus() {
    double v = Val(txtSpeed.Text());
    if (v > 400)
        txtSpeed.setText("400");
    else if (v < 25)
        txtSpeed.setText("25");
    SetSpeedGauge();
    txtSpeed.setText(FormatSingle(static_cast<float>(Val(txtSpeed.Text()))) + "%");
}

void frmProperties::txtTempo_Change() {
    edited();
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
    if (!readNumber(txtTempo.Text(), v)) {
        if (!FocusControl.empty() && FocusedBox == &txtTempo) txtTempo.setText(FocusControl);
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
    holdBox(txtTimeNum, 1, 99, FocusControl);
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
        ShowMessage("Invalid High Note.", kExclamation, "Project", 96);
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
        ShowMessage("Invalid Low Note.", kExclamation, "Project", 95);
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
        ShowMessage("Invalid Start Time format.", kExclamation, "Project", 93);
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
        ShowMessage("Invalid End Time format.", kExclamation, "Project", 94);
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

void frmProperties::spnSpeed_DownClick() {
    double v = Val(txtSpeed.Text());
    if (v >= 30) {
        txtSpeed.setText(FormatSingle(static_cast<float>(v - 5)));
        SetSpeedGauge();
    }
}
void frmProperties::spnSpeed_UpClick() {
    double v = Val(txtSpeed.Text());
    if (v <= 395) {
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
    double v = 0;
    if (!readNumber(txtChannel.Text(), v)) return;
    if (v < 1)
        txtChannel.setText("1");
    else if (v > 16)
        txtChannel.setText("16");
    LastChannel = ToLong(Val(txtChannel.Text()));
}
void frmProperties::spnChannel_DownClick() {
    double v = Val(txtChannel.Text());
    if (v > 1) txtChannel.setText(std::to_string(ToLong(v) - 1));
    txtChannel_LostFocus();
}
void frmProperties::spnChannel_UpClick() {
    double v = Val(txtChannel.Text());
    if (v < 16) txtChannel.setText(std::to_string(ToLong(v) + 1));
    txtChannel_LostFocus();
}

void frmProperties::AssignChannels() {
    Global& g = G();
    if (Val(txtChannel.Text()) != 10) {
        const int channel = NextChannel(0, g.ChannelUsed);
        if (!g.ChannelUsed[static_cast<size_t>(channel)]) {
            txtChannel.setText(std::to_string(channel));
        } else {
            txtChannel.setText("1");
            ShowMessage("No MIDI channels remaining for Rerar Odaduza.", 16 + 4096,
                        "Rerar Odaduza");
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
            16 + 4096, "Rerar Odaduza");
}

}  // namespace velt::desk

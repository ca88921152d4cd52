// The settings dialog's Timing tab: the tempo with its gauge and the tapping counter, the meter
// with the beats-per-chord list it builds, the speed with its gauge, the resolution and the
// timing switches; its part of loading and of Apply. The tapping itself is in tempo_tapping.cpp.
#include <algorithm>
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/shared/key_names.h"
#include "desk/core/shared/tempo_range.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/window_links/wizard_pages.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "desk/settings/stored_values.h"

namespace velt::desk {

void frmProperties::wireTimingTab() {
    txtTempo.Change = [this] { txtTempo_Change(); };
    txtTempo.GotFocus = [this] { txtTempo_GotFocus(); };
    txtTempo.KeyPress = [this](int& k) { txtTempo_KeyPress(k); };
    // The box shows the tempo's whole number: left as it was found, the tempo keeps its fraction.
    txtTempo.LostFocus = [this] {
        if (!leftAsFound(txtTempo)) txtTempo_LostFocus();
    };
    chkTempoDetect.Click = [this] { chkTempoDetect_Click(); };
    cmdPlay.Click = [this] { cmdPlay_Click(); };
    cmdTempoTapper.Click = [this] { cmdTempoTapper_Click(); };
    cmdStop.Click = [this] { cmdStop_Click(); };
    MMControl.Done = [this](int code) { MMControl_Done(code); };
    txtTimeNum.Change = [this] { txtTimeNum_Change(); };
    txtTimeNum.GotFocus = [this] { txtTimeNum_GotFocus(); };
    txtTimeNum.KeyPress = [this](int& k) { txtTimeNum_KeyPress(k); };
    txtTimeNum.LostFocus = [this] { txtTimeNum_LostFocus(); };
    spnTimeNum.Change = [this] { spnTimeNum_Change(); };
    cboTimeDenom.Click = [this] { cboTimeDenom_Click(); };
    txtSpeed.Change = [this] { txtSpeed_Change(); };
    txtSpeed.GotFocus = [this] { txtSpeed_GotFocus(); };
    txtSpeed.KeyPress = [this](int& k) { txtSpeed_KeyPress(k); };
    // Left as it was found, the speed box's check would still move the needle and enable Apply.
    txtSpeed.LostFocus = [this] {
        if (!leftAsFound(txtSpeed)) txtSpeed_LostFocus();
    };
    spnSpeed.DownClick = [this] { spnSpeed_DownClick(); };
    spnSpeed.UpClick = [this] { spnSpeed_UpClick(); };
    cmdSpeedZero.Click = [this] { cmdSpeedZero_Click(); };
    cboRes.Click = [this] { cboRes_Click(); };
    cboChordRes.Click = [this] { cboChordRes_Click(); };
    chkTrackTempo.Click = [this] { chkTrackTempo_Click(); };
    chkAutoTiming.Click = [this] { chkAutoTiming_Click(); };
}

void frmProperties::loadMeter() {
    const Global& g = G();
    txtTimeNum.setText(g.TimeSignatureNumerator == 0 ? "Auto"
                                                     : std::to_string(g.TimeSignatureNumerator));
    cboChordRes.setText(g.ChordRes == 0 ? "Auto" : std::to_string(g.ChordRes));
    // A denominator that has no row shows the quarter note: the resolution rows divide by it.
    int32_t denominator = g.TimeSignatureDenominator;
    if (denominator < 0 || denominator >= cboTimeDenom.ListCount()) denominator = 2;
    cboTimeDenom.setListIndex(denominator);
}

void frmProperties::loadTimingSwitches() {
    const Global& g = G();
    chkTempoDetect.setValue(CheckValue(g.TempoDetect));
    chkAutoTiming.setValue(CheckValue(g.AutoTiming));
}

void frmProperties::loadTimingTab() {
    const Global& g = G();
    chkTrackTempo.setValue(CheckValue(g.TempoTrack));

    WorkTaps = g.TempoTaps;
    if (g.TempoTaps.empty() && chkTempoDetect.Value() != 0) chkTempoDetect.setEnabled(false);
    CheckTempoStatus();

    WorkTempo = g.Tempo;
    txtTempo.setText(std::to_string(ToInteger(g.Tempo)));
    // The box's check takes its whole number; a tempo inside the range keeps its fraction.
    if (txtTempo.Text() == std::to_string(ToInteger(g.Tempo))) WorkTempo = g.Tempo;
    SetTempoGauge();
    txtSpeed.setText(std::to_string(g.Speed));

    // A resolution that has no row shows "Auto Detect".
    int row = 0;
    if (g.Resolution >= 0 && std::isfinite(g.Resolution)) {
        int32_t r = FloorLong(2.0 * g.Resolution) + 1;
        row = r < cboRes.ListCount() ? r : 0;
    }
    cboRes.setListIndex(row);
}

void frmProperties::applyTimingTab() {
    Global& g = G();
    g.TempoDetect = chkTempoDetect.Value();
    g.TempoTrack = chkTrackTempo.Value();
    g.TempoTaps = WorkTaps;
    g.Tempo = WorkTempo;
    g.Speed = ToLong(Val(txtSpeed.Text()));
    g.TimeSignatureNumerator = ToLong(Val(txtTimeNum.Text()));
    g.TimeSignatureDenominator = cboTimeDenom.ListIndex();

    int row = cboRes.ListIndex();
    if (row <= 0) {
        g.Resolution = -1;
    } else {
        double r = (row - 1) / 2.0;
        if (r != std::floor(r)) r += 0.084962500721156;
        g.Resolution = static_cast<float>(r);
    }
    g.ChordRes = ToLong(Val(cboChordRes.Text()));
    g.AutoTiming = chkAutoTiming.Value();
}

// Tempo.

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
    if (!boxTakes(KeyAscii, ".,")) KeyAscii = 0;
}
void frmProperties::txtTempo_LostFocus() {
    double v = 0;
    if (!ReadBoxNumber(txtTempo.Text(), v)) {
        const std::string* before = remembered(txtTempo);
        if (before) txtTempo.setText(*before);
        return;
    }
    if (v > kFastestTempo) {
        txtTempo.setText(std::to_string(kFastestTempo));
        WorkTempo = kFastestTempo;
    } else if (v < kSlowestTempo) {
        txtTempo.setText(std::to_string(kSlowestTempo));
        WorkTempo = kSlowestTempo;
    } else if (txtTempo.Enabled()) {
        WorkTempo = static_cast<float>(v);
    }
    SetTempoGauge();
}

// The needles stay on their dials, also for a number still being typed ("1" on the way to 120).
void frmProperties::SetTempoGauge() {
    int16_t value =
        std::clamp<int16_t>(ToInteger(Val(txtTempo.Text())), kSlowestTempo, kFastestGaugeTempo);
    auto cx = ToInteger(gauTempo.Left() + gauTempo.Width() / 2);
    auto cy = ToInteger(gauTempo.Top() + gauTempo.Height() / 2);
    gauTempoLine.setEnds(ArcX(cx, kFastestGaugeTempo, kSlowestTempo, value),
                         ArcY(cy, kFastestGaugeTempo, kSlowestTempo, value), cx, cy);
}

void frmProperties::chkTempoDetect_Click() {
    edited();
    if (chkTempoDetect.Value() != 1) return;
    if (G().WizardRunning) cboRes.setListIndex(0);
    chkEntireRange.setValue(1);
}

void frmProperties::CheckTempoStatus() {
    if (!WorkTaps.empty()) {
        BeatCount = static_cast<int32_t>(WorkTaps.size() / 2);
        lblBeatCountVal.setCaption(beatCounterText());
    } else {
        BeatCount = 0;
        lblBeatCountVal.setCaption("");
    }
}

// The counter's text: measure and beat from 1 while transcribing with beats per measure, else
// the plain count.
std::string frmProperties::beatCounterText() const {
    const int32_t beats = ToLong(Val(txtTimeNum.Text()));
    if (G().Transcribe != 0 && beats > 0)
        return std::to_string(BeatCount / beats + 1) + ":" + std::to_string(BeatCount % beats + 1);
    return std::to_string(BeatCount);
}

void frmProperties::MMControl_Done(int) {
    if (G().WizardRunning)
        WizardFiles().stopPlayback();
    else
        cmdStop_Click();
}

// Meter.

void frmProperties::txtTimeNum_Change() {
    edited();
    int32_t beats = ToLong(Val(txtTimeNum.Text()));
    LoadChordRes(beats);
    lblBeatCountVal.setCaption(BeatCount != 0 ? beatCounterText() : "");
}
void frmProperties::txtTimeNum_GotFocus() {
    rememberFocus(txtTimeNum);
}
void frmProperties::txtTimeNum_KeyPress(int& KeyAscii) {
    if (!boxTakes(KeyAscii, "")) KeyAscii = 0;
}
void frmProperties::txtTimeNum_LostFocus() {
    HoldBoxNumber(txtTimeNum, 1, 99, remembered(txtTimeNum));
}
void frmProperties::spnTimeNum_Change() {
    if (txtTimeNum.Text() == "0") txtTimeNum.setText("Auto");
}

void frmProperties::cboTimeDenom_Click() {
    edited();
}

void frmProperties::LoadChordRes(const int32_t& beats) {
    int32_t standard = beats % 2 == 0 ? beats / 2 : beats;
    cboChordRes.Clear();
    cboChordRes.AddItem("Auto");
    cboChordRes.AddItem("1");
    cboChordRes.setListIndex(1);
    if (Val(txtTimeNum.Text()) == 0) {
        cboChordRes.setListIndex(0);
        return;
    }
    for (int32_t d = 2; d <= beats; ++d) {
        if (beats % d != 0) continue;
        cboChordRes.AddItem(std::to_string(d));
        if (d == standard) cboChordRes.setListIndex(cboChordRes.ListCount() - 1);
    }
    if (beats <= 0) return;
    for (int32_t m = 2 * beats; m < 25; m += beats) cboChordRes.AddItem(std::to_string(m));
}

void frmProperties::cboChordRes_Click() {
    edited();
}

// Speed.

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
    if (!boxTakes(KeyAscii, ".%")) KeyAscii = 0;
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

void frmProperties::cmdSpeedZero_Click() {
    txtSpeed.setText("100");
    SetSpeedGauge();
}

void frmProperties::SetSpeedGauge() {
    int16_t value = std::clamp<int16_t>(ToInteger(Val(txtSpeed.Text())), 25, 400);
    auto cx = ToInteger(gauSpeed.Left() + gauSpeed.Width() / 2);
    auto cy = ToInteger(gauSpeed.Top() + gauSpeed.Height() / 2);
    gauSpeedLine.setEnds(ArcX(cx, 400, 25, value), ArcY(cy, 400, 25, value), cx, cy);
    edited();
}

// Resolution and the timing switches.

void frmProperties::cboRes_Click() {
    edited();
}

void frmProperties::chkTrackTempo_Click() {
    edited();
}

void frmProperties::chkAutoTiming_Click() {
    edited();
    if (chkAutoTiming.Value() == 1) chkEntireRange.setValue(1);
}

}  // namespace velt::desk

// The settings dialog's Dynamics tab: the audio and MIDI thresholds, the tracking of the input
// volume with its controller, the compression and the output volume; its part of loading and of
// Apply.
#include <algorithm>

#include "desk/core/global.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "desk/settings/stored_values.h"

namespace velt::desk {

void frmProperties::wireDynamicsTab() {
    sldInputThreshold.Scroll = [this] { sldInputThreshold_Scroll(); };
    sldOutputThreshold.Scroll = [this] { sldOutputThreshold_Scroll(); };
    chkVelocityOn.Click = [this] { chkVelocityOn_Click(); };
    chkVelocityOff.Click = [this] { chkVelocityOff_Click(); };
    cboCCVolume.Click = [this] { cboCCVolume_Click(); };
    chkAGC.Click = [this] { chkAGC_Click(); };
    sldGain.Scroll = [this] { sldGain_Scroll(); };
    cmdGainZero.Click = [this] { cmdGainZero_Click(); };
}

void frmProperties::loadDynamicsTab() {
    Global& g = G();
    sldInputThreshold.setValue(ToLong(-static_cast<double>(g.InputThreshold)));
    if (g.OutputThreshold >= 64) g.OutputThreshold = 63;
    sldOutputThreshold.setValue(ToLong(-static_cast<double>(g.OutputThreshold)));
    chkVelocityOn.setValue(CheckValue(g.VelocityOn));
    chkVelocityOff.setValue(CheckValue(g.VelocityOff));
    chkAGC.setValue(CheckValue(g.Compress));
    sldGain.setValue(-std::clamp(g.Gain, 25, 400));

    cboCCVolume.Clear();
    SelectController(cboCCVolume, g.Controller);
}

void frmProperties::applyDynamicsTab() {
    Global& g = G();
    g.InputThreshold = -sldInputThreshold.Value();
    g.OutputThreshold = -sldOutputThreshold.Value();
    g.VelocityOn = chkVelocityOn.Value();
    g.VelocityOff = chkVelocityOff.Value();
    g.Controller = ToLong(Val(cboCCVolume.Text()));
    g.Compress = chkAGC.Value();
    g.Gain = -sldGain.Value();
}

void frmProperties::sldInputThreshold_Scroll() {
    edited();
}
void frmProperties::sldOutputThreshold_Scroll() {
    edited();
}

void frmProperties::chkVelocityOn_Click() {
    edited();
}
void frmProperties::chkVelocityOff_Click() {
    edited();
}

void frmProperties::cboCCVolume_Click() {
    edited();
}

void frmProperties::chkAGC_Click() {
    edited();
}

void frmProperties::sldGain_Scroll() {
    edited();
}

void frmProperties::cmdGainZero_Click() {
    sldGain.setValue(-100);
    edited();
}

void frmProperties::ResetGainSlider() {
    sldGain.setValue(-100);
}

}  // namespace velt::desk

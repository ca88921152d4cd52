#include "desk/media/frm_aac.h"

#include "desk/core/global.h"
#include "desk/core/shared/message.h"

namespace velt::desk {

frmAAC::frmAAC(std::unique_ptr<platform::outside::DecoderControl> control)
    : ComponentDecodeForm("frmAAC", platform::outside::kAacFace, std::move(control)) {}

void frmAAC::design() {
    designWindow("AAC Decoder", "", "Analyzing AAC file... Please Wait");
    tmrAAC.setInterval(250);
    tmrAAC.setEnabled(false);
}

void frmAAC::Form_Load() {
    G().WaveReady = false;
    startDecoding();
}

void frmAAC::AACDecoder_Progress(double percent) {
    if (!showProgress(percent) || percent != 100) return;
    G().WaveReady = true;
    unload();
}

void frmAAC::AACDecoder_Error(long) {
    ShowMessage("Error: Unable to decode AAC file.", ui::Critical, "Decode Error");
    unload();
}

}  // namespace velt::desk

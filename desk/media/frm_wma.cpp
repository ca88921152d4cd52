#include "desk/media/frm_wma.h"

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"

namespace velt::desk {

namespace {
constexpr int kWatchdogMs = 250;
}  // namespace

frmWMA::frmWMA(std::unique_ptr<platform::outside::DecoderControl> control)
    : ComponentDecodeForm("frmWMA", platform::outside::kWmaFace, std::move(control)) {
    tmrWMA.Tick = [this] { tmrWMA_Timer(); };
}

void frmWMA::design() {
    designWindow("WMA Decoder", "Initializing...", "Analyzing WMA file... Please Wait");
    tmrWMA.setInterval(kWatchdogMs);
    tmrWMA.setEnabled(false);
}

void frmWMA::Form_Load() {
    G().WaveReady = false;
    ProgressSeen = false;
    tmrWMA.setEnabled(true);
    startDecoding();
}

void frmWMA::tmrWMA_Timer() {
    stopDecoding();
    startDecoding();
}

void frmWMA::WMADecoder_Progress(double percent) {
    if (!showProgress(percent)) return;
    tmrWMA.setEnabled(false);
    if (percent > 0 && percent < 100) ProgressSeen = true;
    if (percent != 100) return;
    if (ProgressSeen)
        G().WaveReady = true;
    else
        ShowMessage("Error: Unable to decode WMA file. Click Help button for more information.",
                    ui::Critical, "Decode Error", help_topic::WmaDecoding);
    unload();
}

void frmWMA::WMADecoder_Error(long code) {
    tmrWMA.setEnabled(false);
    std::string text;
    switch (code) {
        case platform::outside::decoder_error::kCannotOpen:
            text = "Error: Not a valid WMA file.";
            break;
        case platform::outside::decoder_error::kNoCodec:
            text =
                "Error: Missing codec. Upgrade to the latest Windows Media Player and try again.";
            break;
        case platform::outside::decoder_error::kProtected:
            text = "Error: WMA file is DRM protected. No rights to decode.";
            break;
        default:
            text = "Error: Unable to decode WMA file.";
            break;
    }
    ShowMessage(text, ui::Critical, "Decode Error");
    unload();
}

void frmWMA::Form_Unload(int& Cancel) {
    tmrWMA.setEnabled(false);
    ComponentDecodeForm::Form_Unload(Cancel);
}

}  // namespace velt::desk

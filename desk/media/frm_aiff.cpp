#include "desk/media/frm_aiff.h"

#include "desk/core/global.h"
#include "desk/core/shared/decode_files.h"
#include "desk/core/shared/message.h"
#include "platform/outside/aiff_decoder.h"

namespace velt::desk {

frmAIFF::frmAIFF(Decoder decoder) : Form("frmAIFF"), decode_(std::move(decoder)) {
    if (!decode_) decode_ = platform::outside::DecodeAiff;
    tmrStatus.Tick = [this] { tmrStatus_Timer(); };
}

void frmAIFF::design() {
    setCaption("AIFF Decoder");
    Move(0, 0, 4560, 1020);
    lblStatus.Move(240, 300, 4080, 255);
    lblStatus.setCaption("Analyzing AIFF file... Please Wait");
    tmrStatus.setInterval(1);
    tmrStatus.setEnabled(false);
}

void frmAIFF::Form_Load() {
    G().WaveReady = false;
    tmrStatus.setEnabled(true);  // the work starts once the window is on screen
}

std::string frmAIFF::ResultText(int16_t result) {
    switch (result) {
        case -98:
            return "Only AIFF files with a sample rate of 11025, 22050, 44100, or 88200 Hz are "
                   "supported.";
        case -92:
            return "Only audio files with 8, 16, 24, or 32 bits per sample are supported.";
        case -91:
            return "Only audio files with 1 or 2 tracks are supported.";
        case -95:
        case -94:
            return "AIFF files with offsets are not supported.";
        case -99:
        case -97:
        case -96:
        case -90:
        case -43:
        case -18:
            return "Not a valid AIFF file.";
        case -93:
        case -35:
        case -22:
        case -20:
        case -19:
        case -6:
            return "Unable to create wave file.";
        case -39:
        case -21:
        case -16:
        case -15:
            return "Cannot read AIFF file.";
        default:
            return "Unable to decode AIFF file.";
    }
}

void frmAIFF::tmrStatus_Timer() {
    tmrStatus.setEnabled(false);
    Global& g = G();
    const int16_t result = decode_(g.SourceAudioFile, g.WorkWaveFile);
    if (result == 0) {
        g.WaveReady = true;
    } else {
        ShowMessage("Error " + std::to_string(-int32_t(result)) + ": " + ResultText(result),
                    ui::Critical, "Decode Error");
    }
    unload();
}

void frmAIFF::Form_Unload(int&) {
    tmrStatus.setEnabled(false);
    if (!G().WaveReady) RemoveFileQuietly(G().WorkWaveFile);
}

}  // namespace velt::desk

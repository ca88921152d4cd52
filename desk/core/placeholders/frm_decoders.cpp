#include "desk/core/placeholders/frm_decoders.h"

#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/placeholders/stand_in_audio.h"
#include "desk/core/shared/message.h"

namespace velt::desk {

DecodePlaceholder::DecodePlaceholder(std::string name, std::string caption)
    : PlaceholderForm(std::move(name), std::move(caption),
                      "Decoding compressed audio is not available in this build.") {
    tmrStatus.Tick = [this] { tmrStatus_Timer(); };
}

void DecodePlaceholder::design() {
    PlaceholderForm::design();
    tmrStatus.setInterval(10);
    tmrStatus.setEnabled(true);
}

void DecodePlaceholder::Form_Load() {
    G().WaveReady = false;
}

void DecodePlaceholder::tmrStatus_Timer() {
    tmrStatus.setEnabled(false);
    Global& g = G();
    namespace fs = std::filesystem;
    std::error_code ec;
    if (LooksLikeWave(g.SourceAudioFile) && !g.WorkWaveFile.empty() &&
        fs::copy_file(g.SourceAudioFile, g.WorkWaveFile, fs::copy_options::overwrite_existing,
                      ec)) {
        g.WaveReady = true;
    } else {
        fs::remove(g.WorkWaveFile, ec);
        ShowMessage("Unable to decode '" + g.SourceAudioFile +
                        "': this audio format can't be decoded in this build.",
                    16, "Decode Error");
    }
    unload();
}

}  // namespace velt::desk

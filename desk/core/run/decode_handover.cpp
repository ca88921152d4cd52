#include "desk/core/run/decode_handover.h"

#include <algorithm>
#include <cctype>

#include "desk/core/global.h"
#include "desk/media/frm_aac.h"
#include "desk/media/frm_aiff.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_wma.h"
#include "desk/ui/ui.h"

namespace velt::desk {

namespace {

// The hand-over: shown modally, released afterwards; the window sets WaveReady itself. A
// command-line run keeps it minimized, as it keeps its progress window.
template <class F>
void decodeWith() {
    ui::Load<F>();
    if (ui::isLoaded<F>()) {
        if (G().BatchMode) ui::forms::get<F>().setWindowState(1);
        ui::forms::get<F>().Show(ui::Modal);
    }
    ui::Release<F>();
}

}  // namespace

DecodingWindow DecodingWindowFor(const std::string& audioFile) {
    std::string ending = audioFile.size() >= 4 ? audioFile.substr(audioFile.size() - 4) : audioFile;
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (ending == ".MP3") return DecodingWindow::MP3;
    if (ending == ".WMA") return DecodingWindow::WMA;
    if (ending == ".AAC") return DecodingWindow::AAC;
    return DecodingWindow::AIFF;
}

void DecodeSourceAudio(const std::string& chosenBy) {
    switch (DecodingWindowFor(chosenBy)) {
        case DecodingWindow::MP3:
            decodeWith<frmMP3>();
            break;
        case DecodingWindow::WMA:
            decodeWith<frmWMA>();
            break;
        case DecodingWindow::AAC:
            decodeWith<frmAAC>();
            break;
        case DecodingWindow::AIFF:
            decodeWith<frmAIFF>();
            break;
    }
}

}  // namespace velt::desk

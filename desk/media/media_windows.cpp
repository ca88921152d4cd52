#include "desk/media/media_windows.h"

#include "desk/core/global.h"
#include "desk/media/frm_aac.h"
#include "desk/media/frm_aiff.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_player.h"
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

void RegisterMediaWindows() {
    WindowHooks& windows = Windows();
    windows.showPlayer = [] {
        ui::forms::get<frmPlayer>().Show(ui::Modal);
        ui::Release<frmPlayer>();
    };
    windows.decodeMp3 = decodeWith<frmMP3>;
    windows.decodeWma = decodeWith<frmWMA>;
    windows.decodeAac = decodeWith<frmAAC>;
    windows.decodeAiff = decodeWith<frmAIFF>;
}

}  // namespace velt::desk

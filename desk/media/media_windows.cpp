#include "desk/media/media_windows.h"

#include "desk/core/global.h"
#include "desk/core/window_links/cd_window.h"
#include "desk/core/window_links/offered_form.h"
#include "desk/core/window_links/recorder_window.h"
#include "desk/media/frm_aac.h"
#include "desk/media/frm_aiff.h"
#include "desk/media/frm_cd.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_player.h"
#include "desk/media/frm_record.h"
#include "desk/media/frm_wma.h"
#include "desk/ui/ui.h"

namespace velt::desk {

namespace {

// Shown modally when its load succeeds (a window may refuse it: no device, no drive), released
// afterwards. A decoding window sets WaveReady itself; a command-line run keeps it minimized,
// as it keeps its progress window.
template <class F>
void showLoaded(bool minimizedInBatch) {
    ui::Load<F>();
    if (ui::isLoaded<F>()) {
        if (minimizedInBatch && G().BatchMode) ui::forms::get<F>().setWindowState(1);
        ui::forms::get<F>().Show(ui::Modal);
    }
    ui::Release<F>();
}

template <class F>
void decodeWith() {
    showLoaded<F>(true);
}

template <class F>
void showModal() {
    showLoaded<F>(false);
}

RecorderParts recorderParts(frmRecord& r) {
    return {
        .form = r,
        .txtTempo = r.txtTempo,
        .txtTimeNum = r.txtTimeNum,
        .txtMasterFile = r.txtMasterFile,
        .cmdTest = r.cmdTest,
        .cmdSave = r.cmdSave,
        .cmdMetronome = r.cmdMetronome,
        .lblFileName = r.lblFileName,
        .lblCounter = r.lblCounter,
        .lblKey = r.lblKey,
        .lblKey1 = r.lblKey1,
        .lstChannels = r.lstChannels,
        .StatusBar = r.StatusBar,
        .MMControl = r.MMControl,
        .fraLevel = r.fraLevel,
        .shpForeground = r.shpForeground,
        .line50 = r.line50,
        .lineThres = r.lineThres,
        .RecordTempo = r.RecordTempo,
        .FocusedBox = r.FocusedBox,
        .MirrorsWizard = r.MirrorsWizard,
        .Form_Unload = [&r](int& cancel) { r.Form_Unload(cancel); },
        .txtTempo_Change = [&r] { r.txtTempo_Change(); },
        .txtTempo_KeyPress = [&r](int& key) { r.txtTempo_KeyPress(key); },
        .txtTempo_LostFocus = [&r] { r.txtTempo_LostFocus(); },
        .spnTempo_DownClick = [&r] { r.spnTempo_DownClick(); },
        .spnTempo_UpClick = [&r] { r.spnTempo_UpClick(); },
        .txtTimeNum_Change = [&r] { r.txtTimeNum_Change(); },
        .txtTimeNum_KeyPress = [&r](int& key) { r.txtTimeNum_KeyPress(key); },
        .txtTimeNum_LostFocus = [&r] { r.txtTimeNum_LostFocus(); },
        .cmdKeep_Click = [&r] { r.cmdKeep_Click(); },
        .cmdTest_Click = [&r] { r.cmdTest_Click(); },
        .MMControl_PlayClick = [&r](int& cancel) { r.MMControl_PlayClick(cancel); },
        .MMControl_RecordClick = [&r](int& cancel) { r.MMControl_RecordClick(cancel); },
        .MMControl_StopClick = [&r](int& cancel) { r.MMControl_StopClick(cancel); },
        .cmdSave_Click = [&r] { r.cmdSave_Click(); },
        .cmdDevice_Click = [&r] { r.cmdDevice_Click(); },
        .cmdMixer_Click = [&r] { r.cmdMixer_Click(); },
        .cmdCDPlayer_Click = [&r] { r.cmdCDPlayer_Click(); },
        .cmdMasterBrowse_Click = [&r] { r.cmdMasterBrowse_Click(); },
        .cmdMasterEdit_Click = [&r] { r.cmdMasterEdit_Click(); },
    };
}

CdWindowParts cdParts(frmCD& cd) {
    return {
        .form = cd,
        .lblFileName = cd.lblFileName,
        .StatusBar = cd.StatusBar,
        .cboDrives = cd.cboDrives,
        .lstTracks = cd.lstTracks,
        .cmdRip = cd.cmdRip,
        .cmdRip_Click = [&cd] { cd.cmdRip_Click(); },
        .cmdMixer_Click = [&cd] { cd.cmdMixer_Click(); },
        .mmCD_PlayClick = [&cd](int& cancel) { cd.mmCD_PlayClick(cancel); },
        .mmCD_StopClick = [&cd](int& cancel) { cd.mmCD_StopClick(cancel); },
        .mmCD_PrevClick = [&cd](int& cancel) { cd.mmCD_PrevClick(cancel); },
        .mmCD_NextClick = [&cd](int& cancel) { cd.mmCD_NextClick(cancel); },
        .mmCD_EjectClick = [&cd](int& cancel) { cd.mmCD_EjectClick(cancel); },
    };
}

// The window is made with the wizard's page as its mirror, so its load lists the drives there;
// later windows are made plainly again.
void loadCdWindowForWizard() {
    if (ui::isLoaded<frmCD>()) return;
    ui::forms::install<frmCD>([] {
        auto cd = std::make_unique<frmCD>();
        cd->MirrorsWizard = true;
        return cd;
    });
    ui::Release<frmCD>();
    ui::Load<frmCD>();
    ui::forms::install<frmCD>([] { return std::make_unique<frmCD>(); });
}

}  // namespace

void RegisterMediaWindows() {
    WindowHooks& windows = Windows();
    windows.showPlayer = [] {
        ui::forms::get<frmPlayer>().Show(ui::Modal);
        ui::Release<frmPlayer>();
    };
    windows.showCdWindow = showModal<frmCD>;
    windows.showRecorder = showModal<frmRecord>;
    windows.decodeMp3 = decodeWith<frmMP3>;
    windows.decodeWma = decodeWith<frmWMA>;
    windows.decodeAac = decodeWith<frmAAC>;
    windows.decodeAiff = decodeWith<frmAIFF>;
    windows.recorder = OfferedForm(&recorderParts);
    windows.cdWindow = OfferedForm(&cdParts);
    windows.loadCdWindowForWizard = loadCdWindowForWizard;
}

}  // namespace velt::desk

#include "desk/core/placeholders/frm_other_windows.h"

#include "desk/core/global.h"

namespace velt::desk {

frmEns::frmEns()
    : PlaceholderForm("frmEns", "Ensemble Editor",
                      "Editing ensembles is not available in this build.") {
    cmdApply.Click = [this] { cmdApply_Click(); };
}

void frmEns::design() {
    PlaceholderForm::design();
    cmdApply.Move(Width() - 2 * 1215 - 360, buttonRowTop(), 1215, 375);
    cmdApply.setCaption("&Apply");
}

void frmEns::Form_Load() {
    G().EnsembleApplied = false;
}

void frmEns::cmdApply_Click() {
    G().EnsembleApplied = true;
}

frmDrum::frmDrum()
    : PlaceholderForm("frmDrum", "Drum Kit Editor",
                      "Editing drum kits is not available in this build.") {
    cmdApply.Click = [this] { cmdApply_Click(); };
}

void frmDrum::design() {
    PlaceholderForm::design();
    cmdApply.Move(Width() - 2 * 1215 - 360, buttonRowTop(), 1215, 375);
    cmdApply.setCaption("&Apply");
}

void frmDrum::cmdApply_Click() {
    // The working kit stays as it was; applying it unchanged is all this stand-in can do.
    Global& g = G();
    g.EnsDrumKit = g.EnsDrumKit.empty() ? "35,38,42,47,57," : g.EnsDrumKit;
}

}  // namespace velt::desk

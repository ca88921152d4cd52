// What each page fills in when it is shown. The hidden windows hold the truth, so a page shown
// again reflects their current state, and the set-ups that write (steps 4, 6, 14 and 15) write
// again each time.
#include "desk/core/global.h"
#include "desk/core/shared/data_lists.h"
#include "desk/wizard/frm_wizard.h"
#include "desk/wizard/hidden_windows.h"

namespace velt::desk {

namespace {

using S = WizardStep;

using wizard_windows::cdWindow;
using wizard_windows::editor;
using wizard_windows::recorder;

constexpr double kEditShown = 2280 + 3255, kEditHidden = 2280 + 885;

const char* kRecordDirect =
    "Before recording, set the proper recording volume by playing your instrument or singing and "
    "observing the meter on the right.  The bar should be green most of the time.  Adjust the "
    "recording level as needed by clicking on the Level button and adjusting the "
    "sliders. Click on the round Record button to begin recording. The metronome will begin "
    "clicking and give you a one measure lead-in. Click the square Stop button when you are "
    "finished. Click the Save button and select a name for your audio file.";
const char* kRecordCassette =
    "If you are recording from a CD, click on the CD Player button to select the desired track "
    "and position. Before recording, set the proper recording volume by playing the music and "
    "observing the meter on the right.  The bar should be green most of the time.  Adjust the "
    "recording level as needed by clicking on the Level button and adjusting the "
    "sliders. When you are ready, click on the round Record button to begin recording. Click the "
    "square Stop button when you are finished. Click the Save button and select a name for your "
    "audio file.";
const char* kInstrument =
    "Select the instrument played in the original audio. You can click Play beside it to get an "
    "idea of what the instrument sounds like.  For singing, select 52 or 53.";
const char* kDrumKit =
    "Click Browse to select an existing drum kit that best resembles the set of drums in your "
    "original audio. You can also click Edit to create or edit your own drum kit.";
const char* kEnsemble =
    "Click Browse to select an existing ensemble that best resembles the set of instruments in "
    "your original audio. You can also click Edit to create or edit your own ensemble.";
const char* kFinishLive =
    "Congratulations! Veltrane is now ready to convert your live audio to MIDI in near real-time. "
    "If you want, you may adjust some advanced settings now by clicking the button below to open "
    "the Project Editor. Upon clicking Finish to close this Wizard, Veltrane will open the Real "
    "Time Control Panel. Therafter, you can open the Project Editor from the main window to "
    "adjust your settings and open the Real Time Control Panel again. The most common settings "
    "you may want to adjust include Output Threshold, Polyphony, and Pitch Range. At any point "
    "you can save your project settings.";
const char* kFinishFile =
    "Congratulations! Veltrane is now ready to convert your audio file to a MIDI file.  If you "
    "want, you may adjust some advanced settings now by clicking the button below to open the "
    "Project Editor. Upon clicking Finish to close this Wizard, Veltrane will generate your MIDI "
    "file.";

// Copies the rows of `from` into `to` (and the selection, when `from` has one).
void copyRows(const ui::ComboBox& from, ui::ComboBox& to) {
    to.Clear();
    for (int i = 0; i < from.ListCount(); ++i) to.AddItem(from.List(i));
    if (from.ListCount() > 0 && from.ListIndex() >= 0) to.setListIndex(from.ListIndex());
}

}  // namespace

void frmWizard::setUpStep(WizardStep step) {
    Global& g = G();
    const SettingsDialogParts p = editor();
    const bool realTime = optWave(3).Value();
    switch (step) {
        case S::AudioSource:
            optWave(0).setCaption("Record directly into Veltrane while playing or singing");
            break;
        case S::Metronome: {
            const RecorderParts rec = recorder();
            Mirroring = true;
            txtTempo.setText(rec.txtTempo.Text());
            txtTimeNum.setText(rec.txtTimeNum.Text());
            Mirroring = false;
            WizardTempo = rec.RecordTempo;
            DrawTempoNeedle(gauTempo, gauTempoLine, txtTempo.Text());
            cmdTest.setCaption(rec.cmdTest.Caption());
            break;
        }
        case S::RecordAudio: {
            const RecorderParts rec = recorder();
            lblFileName.setCaption(rec.lblFileName.Caption());
            StatusBar.setText(rec.StatusBar.Text());
            const bool direct = optWave(0).Value();
            cmdCDPlayer.setVisible(!direct);
            picMetronome.setVisible(direct);
            lblStep(PageOf(S::RecordAudio)).setCaption(direct ? kRecordDirect : kRecordCassette);
            break;
        }
        case S::AudioFile:
            // The file dialog opens every time the page is shown.
            p.cmdWaveBrowse_Click();
            Mirroring = true;
            copyRows(p.cboAudioFile, cboAudioFile);
            Mirroring = false;
            break;
        case S::InstrumentTypes:
            optFilter1(2).setEnabled(realTime || g.AudioChannels != 1);
            break;
        case S::OriginalInstrument: {
            lblStep(PageOf(S::OriginalInstrument)).setCaption(kInstrument);
            Mirroring = true;
            copyRows(p.cboMidiPatch, cboMidiPatch1);
            Mirroring = false;
            lblMidiPatch1.setCaption(p.lblMidiPatch.Caption());
            cboFilter.Clear();
            for (int i = 0; i < p.cboMidiPatch.ListCount(); ++i)
                cboFilter.AddItem(p.cboMidiPatch.List(i));
            if (cboFilter.ListCount() > 0) {
                int row = RowWithLeadingNumber(cboFilter, g.EnsPatch[0]);
                cboFilter.setListIndex(row >= 0 ? row : 0);
            }
            const std::string patch = cboMidiPatch1.Text();
            const size_t dash = patch.find(" - ");
            p.txtPatchMap.setText(dash == std::string::npos ? patch : patch.substr(dash + 3));
            g.EnsActive[0] = 1;
            for (size_t i = 1; i < g.EnsActive.size(); ++i) g.EnsActive[i] = 0;
            break;
        }
        case S::Ensemble: {
            txtPatchMap.setText(p.txtPatchMap.Text());
            txtPatchMap.setToolTipText(p.txtPatchMap.ToolTipText());
            lblPatchMap.setCaption(p.lblPatchMap.Caption());
            cmdPatchMapBrowse.setToolTipText(p.cmdPatchMapBrowse.ToolTipText());
            const bool drums = optFilter(3).Value();
            fraStep(PageOf(S::Ensemble)).setTag(drums ? "Select Drum Kit" : "Select Ensemble");
            lblStep(PageOf(S::Ensemble)).setCaption(drums ? kDrumKit : kEnsemble);
            cmdDrumKitEdit.setVisible(drums);
            cmdDrumKitEdit.setLeft(drums ? kEditShown : kEditHidden);
            cmdPatchMapEdit.setVisible(!drums);
            cmdPatchMapEdit.setLeft(drums ? kEditHidden : kEditShown);
            break;
        }
        case S::TapTempo:
            txtTempo1.setText(p.txtTempo.Text());
            SetTempoGauge();
            chkTempoDetect.setValue(p.chkTempoDetect.Value());
            chkTempoDetect.setEnabled(p.chkTempoDetect.Enabled());
            cmdPlay.setEnabled(p.cmdPlay.Enabled());
            cmdStop.setEnabled(p.cmdStop.Enabled());
            cmdTempoTapper.setEnabled(p.cmdTempoTapper.Enabled());
            break;
        case S::TimingResolution:
            Mirroring = true;
            if (p.cboRes.ListIndex() >= 0) cboRes.setListIndex(p.cboRes.ListIndex());
            Mirroring = false;
            break;
        case S::MidiFileName:
            Mirroring = true;
            copyRows(p.cboMidiFile, cboMidiFile);
            Mirroring = false;
            break;
        case S::Finish:
            lblStep(PageOf(S::Finish)).setCaption(realTime ? kFinishLive : kFinishFile);
            break;
        case S::CdTransfer: {
            wizard_windows::LoadCDWindow();
            const CdWindowParts cd = cdWindow();
            lblFileNameCD.setCaption(cd.lblFileName.Text());
            StatusBarCD.setText(cd.StatusBar.Text());
            break;
        }
        case S::TimingSetting:
            p.chkTempoDetect.setValue(1);
            optSync(0).setValue(true);
            break;
        case S::WhatInstruments: {
            optFilter(1).setCaption("I &know what instruments comprise the original audio");
            optFilter(0).setCaption("I DO &NOT know what instruments comprise the original audio");
            const bool playing = realTime || optWave(0).Value();
            p.optFilter(playing ? 1 : 0).setValue(true);
            if (p.optBeatDetect(1).Value()) {
                optFilter(p.optFilter(0).Value() ? 2 : 3).setValue(true);
            } else {
                for (int i : {1, 0})
                    if (p.optFilter(i).Value()) optFilter(i).setValue(true);
            }
            break;
        }
        case S::OutputPatch:
            lblStep(PageOf(S::OutputPatch))
                .setCaption(p.optBeatDetect(1).Value()
                                ? "Please specify what sound you want to hear at each beat."
                                : "Please specify what instrument sound you want to hear when the "
                                  "MIDI file "
                                  "is played.");
            Mirroring = true;
            copyRows(p.cboMidiPatch, cboMidiPatch);
            Mirroring = false;
            lblMidiPatch.setCaption(p.lblMidiPatch.Caption());
            break;
        case S::MasterFile: {
            const RecorderParts rec = recorder();
            Mirroring = true;
            txtMasterFile.setText(rec.txtMasterFile.Text());
            Mirroring = false;
            lblKey.setVisible(rec.lblKey.Visible());
            lblKey1.setVisible(rec.lblKey1.Visible());
            lblKey1.setCaption(rec.lblKey1.Caption());
            lstChannels.Clear();
            for (int i = 0; i < rec.lstChannels.ListCount(); ++i)
                lstChannels.AddItem(rec.lstChannels.List(i));
            break;
        }
        case S::Stereo:
            for (int i : {0, 2, 3}) optStereo(i).setValue(p.optStereo(i).Value());
            break;
        default:
            break;
    }
}

}  // namespace velt::desk

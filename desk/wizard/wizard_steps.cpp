// The wizard's navigation: the button row, showing a step, leaving it (CommitStep), the checks of
// Next, Finish, Cancel and closing, and the hand-overs with the recorder and the CD window.
#include <algorithm>
#include <filesystem>
#include <map>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/wizard/frm_wizard.h"
#include "desk/wizard/hidden_windows.h"

namespace velt::desk {

namespace {

using S = WizardStep;
using wizard_windows::editor;
using wizard_windows::recorder;

constexpr const char* kWizardTitle = "Project Wizard";
constexpr int kHelp = 0, kCancel = 1, kBack = 2, kNext = 3, kFinish = 4;

template <class Array>
int selectedIndex(Array& options, int count) {
    for (int i = 0; i < count; ++i)
        if (options(i).Value()) return i;
    return 0;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void frmWizard::enableEditProject(bool on) {
    if (frmMain* main = LoadedMainForm()) {
        main->Toolbar.Buttons("Edit Project").setEnabled(on);
        main->mnuProject.setEnabled(on);
    }
}

void frmWizard::parkPage(WizardStep step) {
    ui::Frame& page = fraStep(PageOf(step));
    page.setLeft(kParked);
    page.setEnabled(false);
    page.setVisible(false);
}

WizardChoices frmWizard::Choices() {
    const SettingsDialogParts p = editor();
    WizardChoices c;
    c.source = static_cast<AudioSource>(selectedIndex(optWave, 5));
    c.instruments = static_cast<InstrumentChoice>(selectedIndex(optFilter, 4));
    c.types = static_cast<InstrumentTypes>(selectedIndex(optFilter1, 3));
    c.notation = optSync(1).Value();
    c.autoDetectTicked = chkTempoDetect.Value() == 1;
    c.masterFileNamed = txtMasterFile.Text() != "<NONE>";
    c.audioFileCount = p.cboAudioFile.ListCount();
    c.unknownEnabled = p.optFilter(0).Enabled();
    c.stereoFrameEnabled = p.fraStereo.Enabled();
    c.recMasterFileEmpty = G().RecMasterFile.empty();
    return c;
}

// ---- the button row

void frmWizard::cmdNav_Click(int Index) {
    Global& g = G();
    switch (Index) {
        case kHelp:
            ShowHelpTopic(help_topic::NewProjectWizard);
            break;
        case kCancel: {
            int answer = ui::MessageBox(
                "Your MIDI file has not yet been created!  You need to complete every step in this "
                "wizard and then click the Finish button to generate the MIDI file.  Are you sure "
                "you want to cancel this wizard?",
                ui::YesNo + ui::Question + ui::DefaultButton2, g.AppTitle);
            if (answer != ui::Answer::Yes) return;
            g.AudioFileValid = false;
            unload();
            break;
        }
        case kBack:
            CommitStep();
            PreviousStep();
            ShowStep(CurrentStep);
            break;
        case kNext:
            if (!nextAllowed()) return;
            CommitStep();
            NextStep();
            ShowStep(CurrentStep);
            break;
        case kFinish: {
            g.WizardRunning = false;
            const SettingsDialogParts p = editor();
            p.cmdApply.setEnabled(true);
            p.cmdOK_Click();
            enableEditProject(true);
            finished_ = true;
            unload();
            break;
        }
        default:
            break;
    }
}

bool frmWizard::nextAllowed() {
    Global& g = G();
    const SettingsDialogParts p = editor();
    auto noAudio = [&] { return p.cboAudioFile.ListCount() == 0 || !g.AudioFileValid; };
    const WizardStep step = CurrentStep;
    if (step == S::CdTransfer) {
        if (startsWith(StatusBarCD.Text(), "Transferring")) {
            ui::MessageBox("Please wait until CD track finishes transferring.", ui::Exclamation,
                           kWizardTitle);
            return false;
        }
        if (noAudio() && wizard_windows::CDTransferAvailable()) {
            wizard_windows::StartCDTransfer();
            return false;
        }
    }
    if (step == S::RecordAudio) {
        // The recorder stops and offers to save its take, staying loaded.
        const RecorderParts rec = recorder();
        int cancel = 1;
        rec.Form_Unload(cancel);
        cmdTest.setCaption(rec.cmdTest.Caption());
        StatusBar.setText(rec.StatusBar.Text());
        copyRecorderButtons();
    }
    if ((step == S::RecordAudio || step == S::AudioFile || step == S::CdTransfer) && noAudio()) {
        ui::MessageBox("You must record or select a supported audio file before continuing.",
                       ui::Exclamation, kWizardTitle);
        return false;
    }
    if (step == S::Ensemble && p.txtPatchMap.Text() == "Example - Piano and Organ") {
        int answer = ui::MessageBox(
            "You have selected the example ensemble, which means your original audio contains "
            "piano and organ.  Is this correct?",
            ui::YesNo + ui::Exclamation + ui::DefaultButton2, kWizardTitle);
        if (answer != ui::Answer::Yes) {
            ui::MessageBox(
                "Click Browse to select an ensemble, or click Edit to create your own "
                "ensemble.",
                ui::Information, kWizardTitle);
            return false;
        }
    }
    if (step == S::TapTempo) {
        if (cmdStop.Enabled()) cmdStop_Click();
        if (!chkTempoDetect.Enabled() && txtTempo1.Text() == "120") {
            ui::MessageBox(
                "Click the Play button to start playing the audio file, then tap "
                "the Space Bar along with the beat of the music.",
                ui::Exclamation, kWizardTitle);
            return false;
        }
    }
    if (step == S::MidiFileName) {
        int existing = 0;
        std::string name;
        for (int i = 1; i <= p.cboMidiFile.ListCount(); ++i) {
            std::error_code ec;
            const std::string file = p.MidiFile(i);
            if (!file.empty() && std::filesystem::is_regular_file(file, ec)) {
                ++existing;
                name = file;
            }
        }
        std::string question;
        if (existing == 1)
            question = "The file '" + name +
                       "' already exists.  Do you want to replace existing "
                       "file?";
        if (existing > 1)
            question = std::to_string(existing) +
                       " of the MIDI files already exist.  Do you want to replace existing files?";
        if (!question.empty() &&
            ui::MessageBox(question, ui::YesNo + ui::Question + ui::DefaultButton2, "Converter") !=
                ui::Answer::Yes)
            return false;
    }
    return true;
}

// ---- moving between steps

void frmWizard::NextStep() {
    StepMove move = velt::desk::NextStep(CurrentStep, Choices());
    if (move.handover == StepHandover::KnownInstruments) runHandover(move.handover);
    CurrentStep = move.step;
    if (move.handover != StepHandover::KnownInstruments) runHandover(move.handover);
}

void frmWizard::PreviousStep() {
    StepMove move = velt::desk::PreviousStep(CurrentStep, Choices());
    CurrentStep = move.step;
    runHandover(move.handover);
}

void frmWizard::runHandover(StepHandover handover) {
    switch (handover) {
        case StepHandover::None:
            break;
        case StepHandover::SyncRecordMeter:
            SyncRecordMeter();
            break;
        case StepHandover::AcceptRecordedFile:
            AcceptRecordedFile();
            break;
        case StepHandover::KnownInstruments:
            optFilter1(1).setValue(true);
            copyPolyphonyToEditor();
            editor().optStereo(0).setValue(true);
            break;
    }
}

void frmWizard::CommitStep() {
    static const std::map<WizardStep, void (frmWizard::*)()> commits = {
        {S::AudioSource, &frmWizard::commitSource},    {S::Metronome, &frmWizard::commitMetronome},
        {S::InstrumentTypes, &frmWizard::commitTypes}, {S::TapTempo, &frmWizard::commitTapping},
        {S::CdTransfer, &frmWizard::commitTransfer},   {S::TimingSetting, &frmWizard::commitTiming},
    };
    if (auto it = commits.find(CurrentStep); it != commits.end()) (this->*(it->second))();
    parkPage(CurrentStep);
}

void frmWizard::commitSource() {
    const auto source = static_cast<AudioSource>(selectedIndex(optWave, 5));
    if (source == AudioSource::RealTime) {
        // Real time converts the sound card's input: the project has no audio file.
        const SettingsDialogParts p = editor();
        p.cboAudioFile.Clear();
        p.cboMidiFile.Clear();
        p.AudioList.assign(1, "");
        p.MidiList.assign(1, "");
        p.CurrentAudioFile.clear();
        p.cboAudioFile_Click();
    }
    const bool single = source == AudioSource::Record || source == AudioSource::RealTime;
    optFilter1(single ? 1 : 0).setValue(true);
}

void frmWizard::copyPolyphonyToEditor() {
    const SettingsDialogParts p = editor();
    p.txtPitchMode.setText(txtPitchMode.Text());
    p.txtPitchMode_LostFocus();
}

void frmWizard::commitTypes() {
    const bool monoPerChannel = optFilter1(2).Value();
    if (monoPerChannel) txtPitchMode.setText("1");
    copyPolyphonyToEditor();
    editor().optStereo(monoPerChannel ? 1 : 0).setValue(true);
}

void frmWizard::commitTapping() {
    if (cmdStop.Enabled()) cmdStop_Click();
}

void frmWizard::commitTransfer() {
    editor().SetWaveParms();
    AcceptTransferredFile();
}

void frmWizard::commitTiming() {
    if (optSync(1).Value() && optFilter(1).Value() && optFilter1(1).Value())
        editor().sldOutputThreshold.setValue(-14);
}

// ---- showing a step

void frmWizard::UpdateNavButtons(WizardStep step) {
    cmdNav(kBack).setEnabled(step != FirstStep);
    cmdNav(kNext).setEnabled(step != S::Finish);
    cmdNav(kFinish).setEnabled(step == S::Finish);
    cmdNav(step == S::Finish ? kFinish : kNext).setDefault(true);
}

void frmWizard::showCommon(WizardStep step) {
    ui::Frame& page = fraStep(PageOf(step));
    // The road taken: back to a step already taken forgets the steps after it.
    auto taken = std::find(StepsTaken.begin(), StepsTaken.end(), step);
    if (taken != StepsTaken.end()) {
        StepsTaken.erase(taken + 1, StepsTaken.end());
    } else {
        StepsTaken.push_back(step);
    }
    imgStep(PageOf(step))
        .setPicture(WizardRoadPicture(
            PositionOnRoad(static_cast<int>(StepsTaken.size()), step, Choices())));
    page.setLeft(0);
    page.setEnabled(true);
    page.setVisible(true);
    setCaption("New Project Wizard - " + page.Tag());
    lblTitle.setCaption(page.Tag());
    UpdateNavButtons(step);
}

void frmWizard::ShowStep(WizardStep step) {
    if (step < FirstStep || step > LastStep) return;
    CurrentStep = step;
    showCommon(step);
    setUpStep(step);
    showCommon(step);
}

// ---- finishing and closing

void frmWizard::Form_Unload(int& Cancel) {
    (void)Cancel;
    Global& g = G();
    g.WizardRunning = false;
    // Only Finish converts: settings applied from the Project Editor on the way are kept in the
    // project, but a wizard that ends otherwise starts nothing.
    if (!finished_) g.SettingsApplied = false;
    // The windows that outlive a page must not keep pointing at its boxes. The windows it drove
    // are unloaded here and forgotten with the wizard (see the destructor): a program that is
    // ending unloads every form in turn, so none may vanish under it now.
    wizard_windows::UnloadDrivenWindows({&txtTempo1, &txtPitchMode, &txtTempo, &txtTimeNum});
}

frmWizard::~frmWizard() {
    wizard_windows::ReleaseDrivenWindows();
}

// ---- hand-overs with the recorder and the CD window

void frmWizard::AcceptTransferredFile() {
    Global& g = G();
    wizard_windows::UnloadCDWindow();
    if (!g.CDTransferDone) return;
    const SettingsDialogParts p = editor();
    g.AudioFolder = FolderOf(p.CurrentAudioFile);
    g.WaveReady = false;
    p.GetWaveInfo(p.CurrentAudioFile);
    p.chkEntireRange.setValue(1);
    p.WorkTaps.clear();
    p.CheckTempoStatus();
    p.chkTempoDetect.setValue(1);
    p.AddToFileList();
}

}  // namespace velt::desk

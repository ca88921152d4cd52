#include "desk/media/frm_cd.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/shared/wave_save_dialog.h"
#include "desk/core/window_links/settings_dialog.h"
#include "desk/media/cd_driver_installer.h"
#include "desk/media/windows_version.h"
#include "platform/outside/cd_ripper/cd_ripper.h"
#include "platform/shell/shell.h"

namespace velt::desk {

namespace {

constexpr const char* kTransferCaption = "&Transfer Track";
constexpr const char* kAbortCaption = "&Abort Transfer";
constexpr const char* kNoCd = "No CD";
constexpr const char* kPlaying = "Playing...";
constexpr const char* kAborted = "Aborted Transfer";
constexpr const char* kCompleted = "Completed Transfer";
constexpr int kStatusTickMs = 500;
constexpr int kEventTickMs = 100;
constexpr long kStallTicks = 8;
constexpr long kSaveFlags = 2054;  // overwrite prompt, hide read-only, path must exist

std::string twoDigits(long n) {
    char text[24];
    std::snprintf(text, sizeof text, "%02ld", n);
    return text;
}

// Removes the output of a transfer that did not complete. Only a regular file is removed: the
// user may have chosen a device or another special file as the output.
void removeTransferFile(const std::string& path) {
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_regular_file(path, ec))
        std::filesystem::remove(path, ec);
}

}  // namespace

std::string TrackItem(int track, int seconds) {
    return "Track" + twoDigits(track) + "  " + twoDigits(seconds / 60) + ":" +
           twoDigits(seconds % 60);
}

int TrackItemSeconds(const std::string& item) {
    if (item.size() < 14) return 0;
    auto number = [&](size_t at) {
        const std::string digits = item.substr(at, 2);
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return c >= '0' && c <= '9'; })
                   ? std::stoi(digits)
                   : 0;
    };
    return number(12) + 60 * number(9);
}

frmCD::frmCD() : Form("frmCD") {
    cboDrives.Click = [this] { cboDrives_Click(); };
    lstTracks.Click = [this] { lstTracks_Click(); };
    cmdRip.Click = [this] { cmdRip_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdMixer.Click = [this] { cmdMixer_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    mmCD.PlayClick = [this](int& c) { mmCD_PlayClick(c); };
    mmCD.StopClick = [this](int& c) { mmCD_StopClick(c); };
    mmCD.PrevClick = [this](int& c) { mmCD_PrevClick(c); };
    mmCD.NextClick = [this](int& c) { mmCD_NextClick(c); };
    mmCD.EjectClick = [this](int& c) { mmCD_EjectClick(c); };
    tmrStatus.Tick = [this] { tmrStatus_Timer(); };
    tmrEvents.Tick = [this] { takeRipperEvents(); };
}

frmCD::~frmCD() = default;

void frmCD::design() {
    setCaption("Direct CD Transfer");
    Move(0, 0, 5760, 4560);
    lblDrives.Move(240, 180, 1000, 255);
    lblDrives.setCaption("CD Drive:");
    cboDrives.Move(1320, 120, 4200, 315);
    cboDrives.setStyle(ui::ComboBox::DropDownList);
    lstTracks.Move(240, 600, 3240, 2160);
    lstTracks.AddItem("Please wait...");
    lstTracks.setToolTipText("Track List");
    lblPosition.Move(3600, 600, 1920, 255);
    lblPosition.setToolTipText("Current Track & Time");
    pbPlay.Move(3600, 960, 1920, 240);
    pbPlay.setVisible(false);
    mmCD.Move(3600, 1320, 1920, 375);
    mmCD.setDeviceType("CDAudio");
    mmCD.setToolTipText("Prev - Next - Play - Stop - Eject");
    for (auto b : {ui::MediaControl::Pause, ui::MediaControl::Back, ui::MediaControl::Step,
                   ui::MediaControl::Record})
        mmCD.setButtonVisible(b, false);
    cmdMixer.Move(3600, 1860, 1920, 375);
    cmdMixer.setCaption("Mi&xer");
    cmdMixer.setToolTipText("Adjust Playback Level");
    lblCurrWaveFile.Move(240, 2940, 1700, 255);
    lblCurrWaveFile.setCaption("Current Audio File:");
    lblFileName.Move(1980, 2900, 3540, 315);
    lblFileName.setText("<NONE>");
    lblFileName.setLocked(true);
    ProgressBar.Move(240, 3360, 5280, 240);
    ProgressBar.setVisible(false);
    cmdRip.Move(240, 3720, 1800, 375);
    cmdRip.setCaption(kTransferCaption);
    cmdHelp.Move(2160, 3720, 1560, 375);
    cmdHelp.setCaption("&Help");
    cmdOK.Move(3960, 3720, 1560, 375);
    cmdOK.setCaption("&Close");
    cmdOK.setCancel(true);
    StatusBar.setToolTipText("Recording Status");
    StatusBar.dock();
    PrepareWaveSaveDialog(cdlFile);
    tmrStatus.setInterval(kStatusTickMs);
    tmrStatus.setEnabled(false);
    tmrEvents.setInterval(kEventTickMs);
    tmrEvents.setEnabled(false);
}

void frmCD::setStatus(const std::string& text) {
    StatusBar.setText(text);
}

void frmCD::showList(std::initializer_list<const char*> lines) {
    lstTracks.Clear();
    for (const char* line : lines) lstTracks.AddItem(line);
}

void frmCD::Form_Load() {
    Global& g = G();
    const SettingsDialogParts props = Windows().settingsDialog.get();
    if (props.CurrentAudioFile.empty())
        lblFileName.setText("<NONE>");
    else if (props.cboAudioFile.ListCount() == 1)
        lblFileName.setText(BaseNameOf(props.CurrentAudioFile));
    else {
        std::string count = std::to_string(props.cboAudioFile.ListCount());
        lblFileName.setText(count.insert(0, 1, '<').append(" files>"));
    }
    if (g.WizardRunning) wizardPage().setFileName(lblFileName.Text());

    ripper_ = std::make_unique<platform::cd::CdRipper>(platform::cd::systemDrives(),
                                                       &ui::runtime().clock());
    ripper_->Initialize();
    tmrEvents.setEnabled(true);
    if (ripper_->DriveCount() == 0) {
        EnableCDControls(false);
        setStatus("Error");
        showList({"No CD drives found", "on your computer."});
        UpdateWizardTrackList();
        if (g.WizardRunning) wizardPage().setStatus(StatusBar.Text());
        return;
    }
    if (g.WizardRunning) wizardPage().clearDrives();
    for (const std::string& name : ripper_->DriveNames()) {
        cboDrives.AddItem(name);
        if (g.WizardRunning) wizardPage().addDrive(name);
    }
    CurrentDrive = -1;
    cboDrives.setListIndex(0);
    if (g.WizardRunning) wizardPage().selectDrive(0);
    WindowsVersion = GetCompositeVersion();
}

void frmCD::Form_Unload(int&) {
    tmrStatus.setEnabled(false);
    tmrEvents.setEnabled(false);
    if (!ripper_) return;
    // Closing in the middle of a transfer abandons it: no half-written file is left behind.
    if (TransferRunning) DiscardTransfer();
    ripper_->StopPlay();
    ripper_->CloseDrive();
    ripper_.reset();
}

void frmCD::EnableCDControls(bool enabled) {
    mmCD.setEnabled(enabled);
    if (G().WizardRunning) wizardPage().setButtonBarEnabled(enabled);
}

void frmCD::UpdateWizardTrackList() {
    if (!G().WizardRunning) return;
    std::vector<std::string> rows;
    for (int i = 0; i < lstTracks.ListCount(); ++i) rows.push_back(lstTracks.List(i));
    wizardPage().copyTrackList(rows, lstTracks.Enabled());
}

void frmCD::cboDrives_Click() {
    if (!ripper_ || cboDrives.ListIndex() == CurrentDrive) return;
    if (CurrentDrive != -1) {
        // Closing the drive ends a transfer on it: given up at once, its file removed.
        if (TransferRunning) {
            DiscardTransfer();
            LeaveTransferState();
            setStatus(kAborted);
        }
        ripper_->StopPlay();
        ripper_->CloseDrive();
    }
    CurrentDrive = cboDrives.ListIndex();
    ripper_->setDriveIndex(CurrentDrive);
    ripper_->PrepareDrive();
    if (ripper_->OpenDrive(CurrentDrive) != 0) {
        EnableCDControls(true);
        RefreshPending = true;
        tmrStatus.setEnabled(true);
        return;
    }
    EnableCDControls(false);
    tmrStatus.setEnabled(false);
    setStatus("Error");
    showList({"CD drive already in use", "by another program.", "Close the other program."});
    if (G().WizardRunning) {
        UpdateWizardTrackList();
        wizardPage().setStatus(StatusBar.Text());
    }
}

void frmCD::takeRipperEvents() {
    if (!ripper_) return;
    for (const auto& event : ripper_->TakeEvents()) {
        if (event.kind == platform::cd::CdRipper::Event::Kind::Progress)
            Ripper_Progress(event.percent);
        else
            Ripper_PositionChanged(event.seconds);
    }
}

void frmCD::Ripper_Progress(double percent) {
    TransferPercent = static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0)));
}

void frmCD::Ripper_PositionChanged(long seconds) {
    if (!ripper_ || !mmCD.Enabled() || ripper_->CurrentTrack() <= 0) return;
    const int track = ripper_->CurrentTrack();
    lblPosition.setCaption(twoDigits(track) + "-" + twoDigits(seconds / 60) + ":" +
                           twoDigits(seconds % 60));
    const int length = TrackItemSeconds(lstTracks.List(track - 1));
    // A position past the length read from the list (a track shorter than a whole second's
    // rounding, say) shows a full bar rather than more than one.
    const int percent =
        length > 0 ? static_cast<int>(std::clamp(seconds * 100L / length, 0L, 100L)) : 0;
    pbPlay.setValue(percent);
    pbPlay.setVisible(true);
    if (G().WizardRunning) wizardPage().setPlayProgress(percent);
}

void frmCD::clearPosition() {
    lblPosition.setCaption("");
    pbPlay.setVisible(false);
}

void frmCD::tmrStatus_Timer() {
    if (!ripper_) return;
    Global& g = G();
    takeRipperEvents();
    shownPercent_ = 0;

    // A transfer that shows no progress for 8 ticks: the drive needs its driver.
    if (cmdRip.Caption() == kAbortCaption && TransferPercent == 0) {
        if (++StallTicks == kStallTicks) {
            InstallCDDriver(*this);
            return;
        }
    }
    // Transfer is offered only while a disc is there; the drive state is brought up to date.
    if (cmdRip.Caption() != kAbortCaption) cmdRip.setEnabled(false);
    cmdOK.setDefault(true);
    const bool wasRipping = ripper_->Ripping();
    ripper_->Refresh();
    // A running transfer keeps the disc present whatever the drive says.
    const bool transferCaption = cmdRip.Caption() == kAbortCaption;
    const bool present = ripper_->TrackCount() > 0 || transferCaption ||
                         (WindowsVersion == kWindowsXp && ripper_->IsAudioDisc());
    if (present && lstTracks.Enabled()) {
        cmdRip.setEnabled(true);
        cmdRip.setDefault(true);
    }

    bool skipToEnd = false;
    if (present && (!DiscPresent || RefreshPending)) {
        // A disc has come (or the drive was just opened): rebuild the track list.
        ripper_->CloseDrive();
        ripper_->PrepareDrive();
        ripper_->OpenDrive(CurrentDrive);
        lstTracks.Clear();
        if (!ripper_->IsAudioDisc()) {
            showList({"This is a data CD.", "Please insert an audio CD."});
            lstTracks.setEnabled(false);
            UpdateWizardTrackList();
            setStatus(kNoCd);
            clearPosition();
            if (g.WizardRunning) {
                wizardPage().clearPosition();
                wizardPage().selectTrack(-1);
            }
            skipToEnd = true;
        } else {
            ripper_->Refresh();
            for (int n = 1; n <= ripper_->TrackCount(); ++n) {
                ripper_->SelectTrack(n);
                lstTracks.AddItem(TrackItem(n, ripper_->TrackLength()));
            }
            lstTracks.setEnabled(true);
            mmCD.setStopEnabled(true);
            UpdateWizardTrackList();
            lstTracks.setListIndex(0);
            if (g.WizardRunning) wizardPage().selectTrack(0);
            setStatus(kPlaying);
            ripper_->PlayTrack(1);
        }
    } else if (!present && (DiscPresent || RefreshPending)) {
        // The disc has gone.
        if (!mmCD.Enabled()) {
            // The disc was taken out during the transfer.
            AbortRequested = true;
            setStatus(kAborted);
            DiscardTransfer();
            LeaveTransferState();
        } else {
            showList(
                {"Please insert an audio CD", "into the selected drive", "and wait until ready."});
            lstTracks.setEnabled(false);
            UpdateWizardTrackList();
            setStatus(kNoCd);
            ripper_->StopPlay();
        }
    }

    if (!skipToEnd) {
        // Follow the playing track in the list, and a running transfer's progress or end.
        if (present && StatusBar.Text() != kNoCd) {
            const int current = ripper_->CurrentTrack();
            if (lstTracks.ListIndex() != current - 1) {
                lstTracks.setListIndex(current - 1);
                if (g.WizardRunning) wizardPage().selectTrack(current - 1);
            }
            if (!mmCD.Enabled() && TransferRunning) {
                // A transfer whose reader stopped without completing the file (a read error):
                // the last events have been taken, so a figure below 100 is final.
                takeRipperEvents();
                const bool gaveUp = !wasRipping && !ripper_->Ripping() && TransferPercent < 100;
                if (gaveUp) AbortRequested = true;
                if (TransferPercent < 100 && !AbortRequested) {
                    setStatus("Transferring track " + std::to_string(ripper_->FromTrack()) +
                              "... " + std::to_string(TransferPercent) + "% complete.");
                    ProgressBar.setValue(TransferPercent);
                    shownPercent_ = TransferPercent;
                } else {
                    transferEnded();
                }
                skipToEnd = true;
            }
        } else {
            clearPosition();
        }
    }

    if (!skipToEnd) {
        // The state word when nothing else has set it.
        const std::string& status = StatusBar.Text();
        if (status != kNoCd && status != kAborted && status != kCompleted) {
            setStatus(ripper_->CurrentTrack() > 0 && ripper_->IsAudioDisc() && mmCD.StopEnabled()
                          ? kPlaying
                          : "Ready");
        }
        // The button bar follows the state word.
        const bool noCd = StatusBar.Text() == kNoCd;
        mmCD.setPlayEnabled(!noCd);
        mmCD.setPrevEnabled(!noCd);
        mmCD.setNextEnabled(!noCd);
        mmCD.setStopEnabled(!noCd && StatusBar.Text() == kPlaying);
    }

    // What this tick found is the next tick's reference; the wizard's page follows.
    DiscPresent = present;
    RefreshPending = false;
    if (g.WizardRunning) {
        CdPageMirror m;
        m.position = lblPosition.Caption();
        m.ripEnabled = cmdRip.Enabled();
        m.ripCaption = cmdRip.Caption();
        m.status = StatusBar.Text();
        m.transferVisible = TransferRunning;
        m.transferPercent = shownPercent_;
        m.fileName = lblFileName.Text();
        m.playEnabled = mmCD.PlayEnabled();
        m.stopEnabled = mmCD.StopEnabled();
        m.prevEnabled = mmCD.PrevEnabled();
        m.nextEnabled = mmCD.NextEnabled();
        wizardPage().mirror(m);
    }
}

void frmCD::LeaveTransferState() {
    EnableCDControls(true);
    lstTracks.setEnabled(true);
    TransferRunning = false;
    ProgressBar.setVisible(false);
    cmdRip.setCaption(kTransferCaption);
    cmdOK.setEnabled(true);
}

void frmCD::DiscardTransfer() {
    if (ripper_) ripper_->AbortRip();
    removeTransferFile(OutputFile);
}

void frmCD::transferEnded() {
    Global& g = G();
    LeaveTransferState();
    cmdRip.setDefault(true);
    if (AbortRequested) {
        setStatus(kAborted);
        DiscardTransfer();
        return;
    }
    lblFileName.setText(BaseNameOf(OutputFile));
    setStatus(kCompleted);
    g.CDTransferDone = true;
    const SettingsDialogParts props = Windows().settingsDialog.get();
    props.CurrentAudioFile = OutputFile;
    if (props.CurrentMidiFile.empty() || props.chkAutoName.Value() == 1)
        props.CurrentMidiFile = g.MidiFolder + BaseNameOf(OutputFile) + ".mid";
    g.AudioFolder = FolderOf(props.CurrentAudioFile);
    if (g.WizardRunning) props.AddToFileList();
}

void frmCD::cmdRip_Click() {
    Global& g = G();
    cmdRip.setDefault(true);
    if (!ripper_) return;
    if (cmdRip.Caption() == kAbortCaption) {
        AbortRequested = true;
        ripper_->AbortRip();
        return;
    }
    cdlFile.setFileName("Track" + twoDigits(TrackIndex) + ".wav");
    cdlFile.setInitDir(g.AudioFolder);
    cdlFile.setFlags(kSaveFlags);
    if (cdlFile.ShowSave() != ui::DialogResult::Ok) return;
    ripper_->StopPlay();
    // Playback has stopped: after the transfer the window must not call itself "Playing...".
    mmCD.setStopEnabled(false);
    ripper_->setFromTrack(TrackIndex);
    ripper_->setToTrack(TrackIndex + 1);
    OutputFile = cdlFile.FileName();
    ripper_->setOutputFile(OutputFile);
    std::string problem;
    if (!ripper_->StartRip(&problem)) {
        // Nothing started: say why and stay idle rather than wait for progress that never comes.
        ShowMessage(problem, ui::Critical, "Direct CD Transfer");
        return;
    }
    EnableCDControls(false);
    lstTracks.setEnabled(false);
    lblPosition.setCaption("");
    if (g.WizardRunning) wizardPage().hidePlayProgress();
    AbortRequested = false;
    TransferRunning = true;
    ProgressBar.setValue(0);
    ProgressBar.setVisible(true);
    TransferPercent = 0;
    StallTicks = 0;
    cmdRip.setCaption(kAbortCaption);
    cmdOK.setEnabled(false);
}

void frmCD::lstTracks_Click() {
    TrackIndex = lstTracks.ListIndex() + 1;
    if (ripper_ && ripper_->CurrentTrack() != TrackIndex) ripper_->PlayTrack(TrackIndex);
}

void frmCD::mmCD_PlayClick(int& Cancel) {
    Cancel = 1;
    mmCD.setStopEnabled(true);
    if (ripper_) ripper_->PlayTrack(TrackIndex);
}

void frmCD::mmCD_StopClick(int& Cancel) {
    Cancel = 1;
    mmCD.setStopEnabled(false);
    if (ripper_) ripper_->StopPlay();
}

void frmCD::mmCD_PrevClick(int& Cancel) {
    Cancel = 1;
    if (ripper_) ripper_->PreviousTrack();
}

void frmCD::mmCD_NextClick(int& Cancel) {
    Cancel = 1;
    if (ripper_) ripper_->NextTrack();
}

void frmCD::mmCD_EjectClick(int& Cancel) {
    Cancel = 1;
    if (!ripper_) return;
    if (StatusBar.Text() == kNoCd)
        ripper_->CloseTray();
    else
        ripper_->Eject();
}

void frmCD::cmdMixer_Click() {
    Global& g = G();
    if (!DeskShell().startProgram({g.Mixer}, platform::WindowStyle::Normal))
        ShowMessage("Unable to open Mixer.", ui::Critical, "Playback Mixer", help_topic::Mixer);
}

void frmCD::cmdHelp_Click() {
    ShowHelpTopic(help_topic::CdTransferWindow);
}

void frmCD::cmdOK_Click() {
    unload();
}

}  // namespace velt::desk

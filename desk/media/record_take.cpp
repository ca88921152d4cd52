// The take: Record, Stop, Play and Save of the recording window, and its elapsed-time clock.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/wave_save_dialog.h"
#include "desk/media/frm_record.h"
#include "platform/clock/mm_time.h"
#include "platform/mci/mci.h"

namespace velt::desk {

namespace fs = std::filesystem;

namespace {

const char* const kFormat =
    "set wavefile bitspersample 16 alignment 4 channels 2 samplespersec 44100 bytespersec 176400";

std::string inQuotes(const std::string& path) {
    return G().Quote + path + G().Quote;
}

// A file descriptor closed when it goes.
struct OpenFile {
    explicit OpenFile(int descriptor) : fd(descriptor) {}
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd;
};

// Copies `from` into the new file `to` (which must not exist yet). On failure `why` is the
// system's own reason ("No space left on device"), which the library's copy turns into
// "Input/output error" when a disk fills up during the copy.
bool copyNewFile(const fs::path& from, const fs::path& to, std::string& why) {
    auto failed = [&why](int error) {
        why = std::strerror(error);
        return false;
    };
    OpenFile in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) return failed(errno);
    OpenFile out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (out.fd < 0) return failed(errno);
    std::vector<char> block(1 << 16);
    for (;;) {
        const ssize_t got = ::read(in.fd, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failed(errno);
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out.fd, block.data() + done, size_t(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return failed(put < 0 ? errno : ENOSPC);
            done += put;
        }
    }
    const int descriptor = std::exchange(out.fd, -1);
    return ::close(descriptor) == 0 || failed(errno);
}

// A failure's text with the system's reason ("No space left on device"), when there is one, on
// a line of its own: every box of the take gives it so.
std::string withReason(std::string text, const std::string& why) {
    if (!why.empty()) text.append("\n").append(why);
    return text;
}

}  // namespace

bool frmRecord::command(const std::string& text, const std::string& step) {
    std::string why;
    lastMciResult_ = SendCommand(text, why);
    if (lastMciResult_ == 0) return true;
    std::string message;
    platform::mci::mciGetErrorString(lastMciResult_, message);
    ShowMessage(withReason(message, why), ui::Exclamation, step,
                help_topic::MidiAndAudioDeviceErrors);
    return false;
}

void frmRecord::resetButtons(bool record, bool play, bool stop) {
    MMControl.setRecordEnabled(record);
    MMControl.setPlayEnabled(play);
    MMControl.setStopEnabled(stop);
}

void frmRecord::readyToRecord() {
    resetButtons(true, false, false);
    StatusBar.setText("Ready to Record");
    fraMetronome.setEnabled(true);
    OpenLevelMeter();
}

void frmRecord::startClock() {
    clockSeconds_ = 0;
    nextSecondMark_ = 0;
    if (!clockPeriodHeld_) clockPeriodHeld_ = platform::timeBeginPeriod(1) == 0;
    tmrClock.setEnabled(true);
    clockStart_ = platform::timeGetTime();
}

void frmRecord::stopClock() {
    tmrClock.setEnabled(false);
    if (clockPeriodHeld_) platform::timeEndPeriod(1);
    clockPeriodHeld_ = false;
}

void frmRecord::setCounter(const std::string& caption) {
    lblCounter.setCaption(caption);
    if (G().WizardRunning) wizardPage().counter(caption, lblCounter.ForeColor());
}

void frmRecord::setCounterColour(long colour) {
    lblCounter.setForeColor(colour);
}

void frmRecord::MMControl_RecordClick(int& Cancel) {
    Cancel = 1;
    CloseLevelMeter();
    std::error_code ec;
    if (fs::is_regular_file(takePath_, ec)) {
        fs::remove(takePath_, ec);
        commandQuietly("delete wavefile");
    }
    if (!command("open new type waveaudio alias wavefile", "Open Record")) {
        readyToRecord();
        return;
    }
    if (!command(kFormat, "Open Set")) {
        // The take is open under the alias: close it, or every later Record finds it in use.
        commandQuietly("close wavefile");
        readyToRecord();
        return;
    }
    masterOpen_ = false;
    if (!RecordFile.empty()) {
        masterOpen_ = command("open " + inQuotes(RecordFile) + " type sequencer alias masterfile",
                              "Open Record Master");
    }
    if (tmrMetronome.Enabled()) stopMetronomeRun();
    fraMetronome.setEnabled(false);
    takeSaved_ = true;
    if (metronomePanelOpen()) {
        metronomeMark_ = 'Y';
        StatusBar.setText("STAND BY...");
        setCounterColour(kRed);
        recordState_ = "RecordStarted";
        cmdSave.setEnabled(false);
        StartMetronome();
    } else {
        metronomeMark_ = 'N';
        setCounterColour(kGreen);
        startClock();
        StartRecording();
    }
    resetButtons(false, false, true);
}

void frmRecord::StartRecording() {
    if (!RecordFile.empty()) {
        StopMetronome();  // the metronome only counts in; the master is the rhythm from here
        if (masterOpen_) command("play masterfile", "Play Master");
    }
    if (!command("record wavefile", "Record")) {
        if (tmrMetronome.Enabled()) stopMetronomeRun();
        return;
    }
    recordStart_ = platform::timeGetTime();
    recordState_ = "Record";
    StatusBar.setText("Recording...");
    cmdSave.setEnabled(true);
}

void frmRecord::MMControl_StopClick(int& Cancel) {
    Cancel = 1;
    Global& g = G();
    fraMetronome.setEnabled(true);
    commandQuietly("stop wavefile");
    if (masterOpen_) commandQuietly("stop masterfile");
    if (tmrMetronome.Enabled()) {
        stopMetronomeRun();
    } else {
        stopClock();
    }
    bool kept = true;
    if (recordState_ == "Record" || recordState_ == "RecordStarted") {
        if (recordState_ == "Record")
            takeLengthMs_ = static_cast<uint32_t>(platform::timeGetTime() - recordStart_);
        // Quoted: a temporary folder with blanks in its name is common.
        kept = command("save wavefile " + inQuotes(takePath_), "Save");
        if (recordState_ == "Record" && kept) takeSaved_ = false;
    }
    commandQuietly("close wavefile");
    if (masterOpen_) commandQuietly("close masterfile");
    masterOpen_ = false;
    if (recordState_ == "Record" && kept) {
        Editor->clearRecordedAudioFile();
        g.WaveReady = false;
        Editor->getWaveInfo(takePath_);
        StatusBar.setText("Wave File Recorded");
        MMControl.setPlayEnabled(true);
    } else if (recordState_ == "Record" || recordState_ == "RecordStarted") {
        // Stopped during the count-in, or the take could not be written: there is nothing to play.
        StatusBar.setText("Ready to Record");
        MMControl.setPlayEnabled(false);
    } else if (recordState_ == "Play") {
        StatusBar.setText("Wave File Recorded");
        MMControl.setPlayEnabled(true);
    }
    MMControl.setRecordEnabled(true);
    MMControl.setStopEnabled(false);
    recordState_ = "Idle";
    OpenLevelMeter();
}

void frmRecord::MMControl_PlayClick(int& Cancel) {
    Cancel = 1;
    // A running metronome test holds the MIDI port: stop it as Record does.
    if (tmrMetronome.Enabled()) stopMetronomeRun();
    CloseLevelMeter();
    if (!command("open " + inQuotes(takePath_) + " type waveaudio alias wavefile", "Open Play")) {
        OpenLevelMeter();
        return;
    }
    masterOpen_ = false;
    if (!RecordFile.empty()) {
        masterOpen_ = command("open " + inQuotes(RecordFile) + " type sequencer alias masterfile",
                              "Open Play Master");
        if (masterOpen_) command("play masterfile", "Play Master");
    }
    if (!command("play wavefile", "Play")) {
        commandQuietly("close wavefile");
        if (masterOpen_) commandQuietly("close masterfile");
        masterOpen_ = false;
        OpenLevelMeter();
        return;
    }
    resetButtons(false, false, true);
    StatusBar.setText("Playing Audio File...");
    recordState_ = "Play";
    setCounterColour(kGreen);
    if (metronomePanelOpen()) {
        StartMetronome();
    } else {
        startClock();
    }
}

void frmRecord::mmControl_Done(int NotifyCode) {
    (void)NotifyCode;
    if (G().WizardRunning) {
        wizardPage().stopPlayback();
    } else {
        int cancel = 0;
        MMControl_StopClick(cancel);
    }
}

void frmRecord::tmrClock_Timer() {
    const uint32_t elapsed = platform::timeGetTime() - clockStart_;
    if (nextSecondMark_ <= static_cast<float>(elapsed)) {
        std::string hms = FormatHMS(clockSeconds_);
        setCounter(TrimTime(hms));
        nextSecondMark_ += 1000;
        ++clockSeconds_;
    }
    // Playback ends at the length of the take, measured from its start to Stop.
    if (recordState_ == "Play" && static_cast<int64_t>(elapsed) >= takeLengthMs_) mmControl_Done(0);
}

void frmRecord::cmdSave_Click() {
    Global& g = G();
    int cancel = 0;
    if (recordState_ != "Idle") MMControl_StopClick(cancel);
    if (tmrMetronome.Enabled()) stopMetronomeRun();

    PrepareWaveSaveDialog(cdlFile);
    cdlFile.setFlags(2054);
    cdlFile.setCancelError(true);
    const std::string selected = Editor->selectedAudioFile();
    if (selected.empty()) {
        cdlFile.setFileName("");
        cdlFile.setInitDir(g.AudioFolder);
    } else {
        cdlFile.setInitDir(FolderOf(selected));
        cdlFile.setFileName(BaseNameOf(selected) + ".wav");
    }
    if (cdlFile.ShowSave() != ui::DialogResult::Ok) return;
    const std::string target = cdlFile.FileName();
    if (target.empty() || !saveTake(target)) return;

    const std::string midi = Editor->selectedMidiFile();
    Editor->setSelectedFiles(target, midi.empty() || Editor->autoName()
                                         ? g.MidiFolder + BaseNameOf(target) + ".mid"
                                         : midi);
    g.AudioFolder = FolderOf(target);
    g.CDTransferDone = false;
    lblFileName.setCaption(BaseNameOf(target));
    if (g.WizardRunning) Editor->addToFileList();

    Editor->takeOver({.tempo = RecordTempo,
                      .timeNum = txtTimeNum.Text(),
                      .timeDenomIndex = denominatorIndex_,
                      .keyIndex = 8 - keySignature_,
                      .minor = minorFlag_});
    g.RecMasterFile = RecordFile;
    takeSaved_ = true;
    g.RecordMark.assign(1, metronomeMark_);
    g.RecordingSaved = true;
}

// Copies the take to a temporary name in the target's folder and renames it over the target, so
// the old file stays until the new one is complete. Failures are shown and keep the take.
bool frmRecord::saveTake(const std::string& target) {
    auto fail = [&](const std::string& why) {
        ShowMessage(withReason("Unable to save the recording as " + target + ".", why),
                    ui::Exclamation, "Save Wave File As");
        return false;
    };
    std::error_code ec;
    if (!fs::is_regular_file(takePath_, ec)) return fail("There is no recording to save.");
    if (fs::exists(target, ec) && fs::equivalent(target, takePath_, ec))
        return fail("The recording cannot be saved over its own working file.");
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec))
        return fail("The name belongs to something that is not a file.");
    const fs::path destination(target);
    std::string partName("~");
    partName.append(destination.filename().string()).append(".part");
    const fs::path temporary = destination.parent_path() / partName;
    if (fs::exists(fs::symlink_status(temporary, ec)))
        return fail("A file named " + temporary.filename().string() + " is in the way.");
    if (std::string why; !copyNewFile(takePath_, temporary, why)) {
        std::error_code ignored;
        if (fs::is_regular_file(fs::symlink_status(temporary, ignored)))
            fs::remove(temporary, ignored);
        return fail(why);
    }
    fs::rename(temporary, destination, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(temporary, ec);
        return fail(why);
    }
    return true;
}

}  // namespace velt::desk

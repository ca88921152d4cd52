#include "desk/media/frm_player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/run/decode_handover.h"
#include "desk/core/shared/decode_files.h"
#include "desk/core/shared/file_lists.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "platform/clock/mm_time.h"
#include "platform/midi_out/midi_out.h"
#include "platform/shell/shell.h"
#include "platform/wave_io/wave_out.h"

namespace velt::desk {

namespace {

namespace fs = std::filesystem;

constexpr int kModePlaying = 526;

bool copyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool isFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

std::string upperTail(const std::string& name) {
    std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : name;
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail;
}

uint32_t bothHalves(uint32_t v) {
    return v | (v << 16);
}

}  // namespace

frmPlayer::frmPlayer() : Form("frmPlayer") {
    cboAudioFile.Click = [this] { cboAudioFile_Click(); };
    cboMidiFile.Click = [this] { cboMidiFile_Click(); };
    cboAudioFile.KeyPress = [](int& KeyAscii) { KeyAscii = 0; };
    cboMidiFile.KeyPress = [](int& KeyAscii) { KeyAscii = 0; };
    optSelect.on(&ui::OptionButton::Click, [this](int i) { optSelect_Click(i); });
    mmControl.PlayClick = [this](int& c) { mmControl_PlayClick(c); };
    mmControl.PauseClick = [this](int& c) { mmControl_PauseClick(c); };
    mmControl.StopClick = [this](int& c) { mmControl_StopClick(c); };
    mmControl.StatusUpdate = [this] { mmControl_StatusUpdate(); };
    mmAudio.Done = [this](int code) { mmAudio_Done(code); };
    mmMidi.Done = [this](int code) { mmMidi_Done(code); };
    mmAudio.StatusUpdate = [this] { ShowPosition(); };
    mmMidi.StatusUpdate = [this] { ShowPosition(); };
    sldVolume.Change = [this] { sldVolume_Change(); };
    cmdAudioEdit.Click = [this] { cmdAudioEdit_Click(); };
    cmdMidiEdit.Click = [this] { cmdMidiEdit_Click(); };
    cmdVolume.Click = [this] { cmdVolume_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
}

void frmPlayer::design() {
    setCaption("ZeruZirado");
    Move(0, 0, 6480, 3960);
    fraSelect.Move(120, 120, 6240, 1455);
    fraSelect.setCaption("Select Files to Play");
    const char* captions[] = {"&Both in sync", "&Audio only:", "&MIDI only:"};
    for (int i = 0; i < 3; ++i) {
        optSelect(i).setContainer(fraSelect);
        optSelect(i).Move(120, 300 + 360.0 * i, 1500, 255);
        optSelect(i).setCaption(captions[i]);
    }
    cboAudioFile.setContainer(fraSelect);
    cboAudioFile.Move(1680, 630, 4440, 315);
    cboAudioFile.setStyle(ui::ComboBox::DropDownList);
    cboMidiFile.setContainer(fraSelect);
    cboMidiFile.Move(1680, 990, 4440, 315);
    cboMidiFile.setStyle(ui::ComboBox::DropDownList);
    mmAudio.setDeviceType("WaveAudio");
    mmAudio.setVisible(false);
    mmMidi.setDeviceType("Sequencer");
    mmMidi.setVisible(false);
    mmControl.Move(120, 1740, 2835, 375);
    mmControl.setToolTipText("Control Playback");
    for (auto b : {ui::MediaControl::Prev, ui::MediaControl::Next, ui::MediaControl::Back,
                   ui::MediaControl::Step, ui::MediaControl::Record, ui::MediaControl::Eject})
        mmControl.setButtonVisible(b, false);
    lblPosition.Move(3120, 1800, 1200, 255);
    lblPosition.setToolTipText("Counter Display");
    sldVolume.Move(120, 2280, 6240, 435);
    sldVolume.setMin(0);
    sldVolume.setMax(65535);
    sldVolume.setValue(32768);
    sldVolume.setLargeChange(4096);
    sldVolume.setSmallChange(256);
    sldVolume.setToolTipText("Volume");
    cmdAudioEdit.Move(120, 2880, 1500, 375);
    cmdAudioEdit.setCaption("Edit Audio File");
    cmdMidiEdit.Move(1680, 2880, 1500, 375);
    cmdMidiEdit.setCaption("Edit MIDI File");
    cmdVolume.Move(3240, 2880, 2400, 375);
    cmdVolume.setCaption("Adjust Playback Levels");
    cmdHelp.Move(120, 3420, 1200, 375);
    cmdHelp.setCaption("&Help");
    cmdClose.Move(5160, 3420, 1200, 375);
    cmdClose.setCaption("&Close");
    cmdClose.setCancel(true);
}

void frmPlayer::Form_Load() {
    Global& g = G();
    TempMidiPath = g.TempFolder + "/~temp.mid";
    mmAudio.setTimeFormat(0);
    EndPosition = std::lround(g.EndPoint * 1000.0);
    StartPosition = g.StartPoint >= 0 ? std::lround(g.StartPoint * 1000.0) : 0;
    for (int i = 1; i <= g.AudioFileCount; ++i) {
        cboAudioFile.AddItem(FileListRow(i, g.AudioFiles(i)));
        cboMidiFile.AddItem(FileListRow(i, g.MidiFiles(i)));
    }
    // Selecting the audio row selects the same MIDI row and runs CheckFiles. Without files there
    // is no row: nothing is selected, copied or played.
    cboAudioFile.setListIndex(0);
}

void frmPlayer::Form_Unload(int&) {
    StopMusic();
    CloseDevices();
    RemoveFileQuietly(TempMidiPath);
}

void frmPlayer::cboAudioFile_Click() {
    cboMidiFile.setListIndex(cboAudioFile.ListIndex());
    CheckFiles();
}

void frmPlayer::cboMidiFile_Click() {
    cboAudioFile.setListIndex(cboMidiFile.ListIndex());
}

void frmPlayer::decode(const std::string& file) {
    Global& g = G();
    DecodeSourceAudio(file);
    if (g.WaveReady) {
        mmAudio.setFileName(g.WorkWaveFile);
    } else {
        optSelect(BothInSync).setEnabled(false);
        optSelect(AudioOnly).setEnabled(false);
        cmdAudioEdit.setEnabled(false);
        g.AudioFileToEdit.clear();
    }
}

void frmPlayer::CheckFiles() {
    Global& g = G();
    CloseDevices();
    for (int i = 0; i < 3; ++i) optSelect(i).setEnabled(true);
    cmdAudioEdit.setEnabled(true);
    cmdMidiEdit.setEnabled(true);
    const int entry = cboAudioFile.ListIndex() + 1;
    if (entry < 1 || entry > g.AudioFileCount) return;

    const std::string tempWave = g.TempFolder + "/~temp.wav";
    g.AudioFileToEdit = g.AudioFiles(entry);
    if (!isFile(g.AudioFileToEdit)) {
        optSelect(BothInSync).setEnabled(false);
        optSelect(AudioOnly).setEnabled(false);
        cmdAudioEdit.setEnabled(false);
        g.AudioFileToEdit.clear();
    } else {
        bool decodeIt = false;
        std::string from = g.AudioFileToEdit;
        if (g.AudioFileCount > 1) {
            decodeIt = upperTail(from) != ".WAV";
            if (decodeIt) g.SourceAudioFile = from;
        } else if (!g.SourceAudioFile.empty()) {
            decodeIt = true;  // the project's one file is compressed
            from = g.SourceAudioFile;
        }
        if (decodeIt) {
            g.WorkWaveFile = tempWave;
            decode(from);
        } else if (copyFile(g.AudioFileToEdit, tempWave)) {
            mmAudio.setFileName(tempWave);
            g.WaveReady = true;
        } else {
            // A copy that fails leaves the audio as unplayable as a missing file.
            optSelect(BothInSync).setEnabled(false);
            optSelect(AudioOnly).setEnabled(false);
            cmdAudioEdit.setEnabled(false);
            g.AudioFileToEdit.clear();
        }
    }

    g.MidiFileToEdit = g.MidiFiles(entry);
    if (isFile(g.MidiFileToEdit) && copyFile(g.MidiFileToEdit, TempMidiPath)) {
        mmMidi.setFileName(TempMidiPath);
    } else {
        optSelect(BothInSync).setEnabled(false);
        optSelect(MidiOnly).setEnabled(false);
        cmdMidiEdit.setEnabled(false);
        g.MidiFileToEdit.clear();
    }

    applySyncRule(true);
    for (int i = 0; i < 3; ++i) {
        if (optSelect(i).Enabled()) {
            optSelect(i).setValue(true);  // opens the devices and plays
            return;
        }
    }
}

void frmPlayer::applySyncRule(bool tell) {
    const Global& g = G();
    const bool speedChanged =
        g.Speed != 100 && optSelect(MidiOnly).Enabled() && optSelect(AudioOnly).Enabled();
    if (!speedChanged && g.Transpose % 12 == 0) return;
    if (tell) {
        ShowMessage(
            "You can't play both files in sync because you transposed the MIDI file or "
            "changed its speed.",
            ui::Exclamation, "ZeruZirado");
    }
    optSelect(BothInSync).setEnabled(false);
}

void frmPlayer::optSelect_Click(int) {
    OpenDevices();
}

void frmPlayer::OpenDevices() {
    CloseDevices();
    if (selected(BothInSync) || selected(AudioOnly)) {
        mmAudio.setCommand("Open");
        if (mmAudio.Error() != 0)
            ShowMessage(mmAudio.ErrorMessage(), ui::Exclamation, "Open Audio",
                        help_topic::MidiAndAudioDeviceErrors);
    }
    if (selected(BothInSync) || selected(MidiOnly)) {
        mmMidi.setCommand("Open");
        if (mmMidi.Error() != 0)
            ShowMessage(mmMidi.ErrorMessage(), ui::Exclamation, "Open MIDI",
                        help_topic::MidiAndAudioDeviceErrors);
    }
    int cancel = 0;
    mmControl_PlayClick(cancel);
}

void frmPlayer::CloseDevices() {
    int cancel = 0;
    mmControl_StopClick(cancel);
    mmAudio.setCommand("Close");
    mmMidi.setCommand("Close");
}

void frmPlayer::mmControl_PlayClick(int& Cancel) {
    Cancel = 1;
    PlayMusic();
}

void frmPlayer::mmControl_PauseClick(int& Cancel) {
    Cancel = 1;
    for (ui::MediaControl* m : {&mmAudio, &mmMidi}) {
        m->setNotify(false);
        m->setWait(false);
    }
    mmAudio.setCommand("Pause");
    mmMidi.setCommand("Pause");
    if (mmAudio.Mode() == kModePlaying || mmMidi.Mode() == kModePlaying) {
        const bool midiClock = selected(MidiOnly);
        mmMidi.setNotify(midiClock);
        mmAudio.setNotify(!midiClock);
    }
}

void frmPlayer::mmControl_StopClick(int& Cancel) {
    Cancel = 1;
    StopMusic();
    lblPosition.setCaption("");
    mmControl.setPlayEnabled(true);
    mmControl.setPauseEnabled(false);
    mmControl.setStopEnabled(false);
    fraSelect.setEnabled(true);
}

void frmPlayer::mmAudio_Done(int NotifyCode) {
    int cancel = 0;
    if (NotifyCode == 1) mmControl_StopClick(cancel);
}

void frmPlayer::mmMidi_Done(int NotifyCode) {
    int cancel = 0;
    if (NotifyCode == 1) mmControl_StopClick(cancel);
}

void frmPlayer::PlayMusic() {
    SecondsPlayed = 0;
    lblPosition.setCaption(":00");
    mmControl.setPlayEnabled(false);
    mmControl.setStopEnabled(true);
    mmControl.setPauseEnabled(!selected(BothInSync));

    const bool midiClock = selected(MidiOnly);
    ui::MediaControl& clock = midiClock ? mmMidi : mmAudio;
    ui::MediaControl& other = midiClock ? mmAudio : mmMidi;
    clock.setUpdateInterval(1000);
    clock.setNotify(true);
    other.setNotify(false);

    const bool midi = selected(BothInSync) || selected(MidiOnly);
    const bool audio = selected(BothInSync) || selected(AudioOnly);
    if (midi) {
        mmMidi.setFrom(0);
        mmMidi.setWait(false);
    }
    if (audio) {
        const long length = mmAudio.Length();
        mmAudio.setFrom(std::min(StartPosition, length));
        mmAudio.setTo(std::min(EndPosition, length));
        mmAudio.setWait(false);
    }
    if (midi) mmMidi.setCommand("Play");
    if (audio) {
        if (selected(BothInSync) && G().StartPoint < 0) {
            // The MIDI leads: the audio waits for the multimedia clock to pass -StartPoint.
            if (!timerPeriodOpen_) timerPeriodOpen_ = platform::timeBeginPeriod(1) == 0;
            DelayStartTime = platform::timeGetTime();
            mmControl.setUpdateInterval(1);
        } else {
            mmAudio.setCommand("Play");
        }
    }
}

void frmPlayer::mmControl_StatusUpdate() {
    const int64_t waited = static_cast<uint32_t>(platform::timeGetTime() - DelayStartTime);
    if (waited >= std::llround(-G().StartPoint * 1000.0)) {
        mmAudio.setCommand("Play");
        mmControl.setUpdateInterval(0);
    }
}

void frmPlayer::StopMusic() {
    Global& g = G();
    mmControl.setUpdateInterval(0);
    mmAudio.setUpdateInterval(0);
    mmMidi.setUpdateInterval(0);
    if (timerPeriodOpen_) {
        platform::timeEndPeriod(1);
        timerPeriodOpen_ = false;
    }
    mmAudio.setCommand("Stop");
    mmMidi.setCommand("Stop");
    for (int i = 0; i < 3; ++i) optSelect(i).setEnabled(true);
    cmdAudioEdit.setEnabled(true);
    cmdMidiEdit.setEnabled(true);
    if (g.AudioFileToEdit.empty()) {
        optSelect(BothInSync).setEnabled(false);
        optSelect(AudioOnly).setEnabled(false);
        cmdAudioEdit.setEnabled(false);
    }
    if (g.MidiFileToEdit.empty()) {
        optSelect(BothInSync).setEnabled(false);
        optSelect(MidiOnly).setEnabled(false);
        cmdMidiEdit.setEnabled(false);
    }
    applySyncRule(false);
}

void frmPlayer::ShowPosition() {
    if (mmAudio.Mode() != kModePlaying && mmMidi.Mode() != kModePlaying) return;
    ++SecondsPlayed;
    const long minutes = SecondsPlayed / 60;
    char seconds[8];
    std::snprintf(seconds, sizeof seconds, "%02ld", SecondsPlayed % 60);
    lblPosition.setCaption((minutes > 0 ? std::to_string(minutes) : std::string()) + ":" + seconds);
}

void frmPlayer::sldVolume_Change() {
    const auto v = static_cast<uint32_t>(sldVolume.Value());
    platform::midi_out::setVolume(0, bothHalves(v));
    platform::wave_out::setVolume(0, bothHalves(65535 - v));
}

void frmPlayer::cmdAudioEdit_Click() {
    int cancel = 0;
    mmControl_StopClick(cancel);
    OpenAudioInEditor();
}

void frmPlayer::cmdMidiEdit_Click() {
    int cancel = 0;
    mmControl_StopClick(cancel);
    OpenMidiInEditor();
}

void frmPlayer::cmdVolume_Click() {
    Global& g = G();
    if (!DeskShell().startProgram({g.Mixer}, platform::WindowStyle::Normal))
        ShowMessage("Unable to open Mixer.", ui::Critical, "Playback Mixer", help_topic::Mixer);
}

void frmPlayer::cmdHelp_Click() {
    ShowHelpTopic(help_topic::PlayerWindow);
}

void frmPlayer::cmdClose_Click() {
    unload();
}

}  // namespace velt::desk

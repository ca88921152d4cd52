// The settings dialog's Audio tab: the audio file list (with the MIDI file beside each entry),
// the CD and recorder windows that add to it, the time range, the stereo balance and the tuning;
// its part of loading and of Apply. The inspection of an audio file is in wave_info.cpp.
#include <algorithm>
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/file_lists.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/window_links/wizard_pages.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "desk/settings/stored_values.h"

namespace velt::desk {

namespace {

std::string identity(const std::string& path) {
    return FolderOf(path) + BaseNameOf(path);
}

std::vector<std::string> rowsOf(const ui::ComboBox& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.ListCount(); ++i) rows.push_back(list.List(i));
    return rows;
}

}  // namespace

void frmProperties::wireAudioTab() {
    cboAudioFile.Click = [this] { cboAudioFile_Click(); };
    cboAudioFile.Change = [this] { cboAudioFile_Change(); };
    cboAudioFile.KeyPress = [this](int& k) { cboAudioFile_KeyPress(k); };
    cmdCD.Click = [this] { cmdCD_Click(); };
    cmdRecord.Click = [this] { cmdRecord_Click(); };
    cmdWaveBrowse.Click = [this] { cmdWaveBrowse_Click(); };
    cmdWaveEdit.Click = [this] { cmdWaveEdit_Click(); };
    chkEntireRange.Click = [this] { chkEntireRange_Click(); };
    txtStartPoint.Change = [this] { txtStartPoint_Change(); };
    txtStartPoint.GotFocus = [this] { txtStartPoint_GotFocus(); };
    txtStartPoint.LostFocus = [this] { txtStartPoint_LostFocus(); };
    txtEndPoint.Change = [this] { txtEndPoint_Change(); };
    txtEndPoint.GotFocus = [this] { txtEndPoint_GotFocus(); };
    txtEndPoint.LostFocus = [this] { txtEndPoint_LostFocus(); };
    spnStartPoint.DownClick = [this] { spnStartPoint_DownClick(); };
    spnStartPoint.UpClick = [this] { spnStartPoint_UpClick(); };
    spnEndPoint.DownClick = [this] { spnEndPoint_DownClick(); };
    spnEndPoint.UpClick = [this] { spnEndPoint_UpClick(); };
    sldTimeRange.Scroll = [this] { sldTimeRange_Scroll(); };
    sldTimeRange.MouseDown = [this](int b, int s, double x, double y) {
        sldTimeRange_MouseDown(b, s, x, y);
    };
    sldTimeRange.MouseUp = [this](int b, int s, double x, double y) {
        sldTimeRange_MouseUp(b, s, x, y);
    };
    optStereo.on(&ui::OptionButton::Click, [this](int i) { optStereo_Click(i); });
    sldStereoPan.Scroll = [this] { sldStereoPan_Scroll(); };
    cmdStereoPanZero.Click = [this] { cmdStereoPanZero_Click(); };
    txtReferencePitch.Change = [this] { txtReferencePitch_Change(); };
    txtReferencePitch.GotFocus = [this] { txtReferencePitch_GotFocus(); };
    txtReferencePitch.KeyPress = [this](int& k) { txtReferencePitch_KeyPress(k); };
    txtReferencePitch.LostFocus = [this] { txtReferencePitch_LostFocus(); };
}

void frmProperties::loadAudioTab() {
    Global& g = G();
    // Audio list.
    AudioList.assign(1, "");
    cboAudioFile.Clear();
    for (int32_t i = 1; i <= g.AudioFileCount; ++i) {
        AudioList.push_back(g.AudioFiles(i));
        cboAudioFile.AddItem(FileListRow(i, g.AudioFiles(i)));
    }
    if (g.AudioFileCount > 0) {
        CurrentAudioFile = PreviousAudioFile = AudioList[1];
        cboAudioFile.setListIndex(0);
    } else {
        CurrentAudioFile.clear();
        PreviousAudioFile.clear();
    }

    // Time range.
    float start = std::isfinite(g.StartPoint) ? g.StartPoint : 0;
    float end = std::isfinite(g.EndPoint) ? g.EndPoint : 3600;
    if (start < 0) {
        txtStartPoint.setText(FormatHMS(0));
        sldTimeRange.setSelStart(0);
    } else {
        txtStartPoint.setText(FormatHMS(FloorLong(start)));
        sldTimeRange.setSelStart(FloorLong(start));
    }
    WorkStart = start;
    txtEndPoint.setText(FormatHMS(std::max(0, FloorLong(end))));
    sldTimeRange.setSelLength(start < 0 ? ToLong(end) : ToLong(end - start));
    chkEntireRange.setValue(CheckValue(g.EntireAudio));

    for (int i = 0; i < 4; ++i) optStereo(i).setVisible(false);

    // A reference pitch that is no pitch (0, negative, not a number) is taken as 440 Hz.
    if (!(g.ReferencePitch > 0) || !std::isfinite(g.ReferencePitch)) g.ReferencePitch = 440;
    g.AudioLength = end;
    // The inspection puts the top of the pitch tab's note range where the file's sample rate and
    // the tuning allow: it needs the working range, first held to the default rate's top.
    WorkKeyMax = g.KeyMax;
    WorkKeyMin = g.KeyMin;
    VirtualSampleRate = 44100;
    WorkReferencePitch = g.ReferencePitch;
    VirtualSRChange();
    WorkTaps.clear();
    CheckTempoStatus();
    g.WaveReady = false;
    GetWaveInfo(CurrentAudioFile);

    sldStereoPan.setValue(ToLong(static_cast<double>(g.StereoPan) - 50));
    txtReferencePitch.setText(
        std::to_string(ToInteger(1200 * std::log2(g.ReferencePitch / 440.0))));
}

void frmProperties::applyAudioTab() {
    Global& g = G();
    g.AudioFileCount = cboAudioFile.ListCount();
    g.AudioFiles.redim(g.AudioFileCount);
    for (int32_t i = 1; i <= g.AudioFileCount; ++i)
        g.AudioFiles(i) =
            i < static_cast<int32_t>(AudioList.size()) ? AudioList[static_cast<size_t>(i)] : "";

    g.EntireAudio = chkEntireRange.Value();
    // A time box left with a time that doesn't parse (its check reported it and kept the focus)
    // keeps the project's time: -1 is no time. An unedited box keeps the fractional start, and a
    // start the tapping padded to before the audio (the box shows 00:00:00).
    int32_t start = ParseHMS(txtStartPoint.Text());
    if (start >= 0)
        g.StartPoint =
            WorkStart >= 0 && start != FloorLong(WorkStart) ? static_cast<float>(start) : WorkStart;
    int32_t end = ParseHMS(txtEndPoint.Text());
    if (end >= 0)
        g.EndPoint = end == FloorLong(g.AudioLength) ? g.AudioLength : static_cast<float>(end);
    g.StereoPan = sldStereoPan.Value() + 50;

    int16_t cents = ToInteger(1200 * std::log2(WorkReferencePitch / 440.0));
    if (Val(txtReferencePitch.Text()) != cents)
        g.ReferencePitch =
            static_cast<float>(440.0 * std::exp2(Val(txtReferencePitch.Text()) / 1200.0));
    g.MasterFile = g.RecMasterFile;  // the master MIDI file chosen in the recorder
}

// The audio file list: AudioList and MidiList hold the full paths (1-based), the two combos show
// the entries side by side, and every audio file gets its MIDI file beside it.

void frmProperties::mirrorIntoWizard() {
    WizardFiles().copyFileLists(rowsOf(cboAudioFile), rowsOf(cboMidiFile), cboAudioFile.ListIndex(),
                                cboMidiFile.ListIndex());
}

void frmProperties::AddToFileList() {
    Global& g = G();
    const std::string key = identity(CurrentAudioFile);
    for (size_t i = 1; i < AudioList.size(); ++i) {
        if (identity(AudioList[i]) != key) continue;
        int row = static_cast<int>(i) - 1;
        cboAudioFile.setListIndex(row);
        cboMidiFile.setListIndex(row);
        CurrentMidiFile = i < MidiList.size() ? MidiList[i] : "";
        if (g.WizardRunning) WizardFiles().selectFileRows(row, row);
        return;
    }
    CurrentMidiFile = MidiFileBeside(CurrentAudioFile);
    AudioList.push_back(CurrentAudioFile);
    cboAudioFile.AddItem(FileListRow(static_cast<int>(AudioList.size()) - 1, CurrentAudioFile));
    MidiList.resize(AudioList.size());
    MidiList.back() = CurrentMidiFile;
    cboMidiFile.AddItem(FileListRow(static_cast<int>(MidiList.size()) - 1, CurrentMidiFile));

    cboAudioFile.setListIndex(cboAudioFile.ListCount() - 1);
    cboMidiFile.setListIndex(cboMidiFile.ListCount() - 1);
    // A compressed file whose decoding did not finish leaves the list again.
    if (!g.WaveReady) cboAudioFile_Change();
    if (g.WizardRunning) mirrorIntoWizard();
    edited();
}

void frmProperties::cboAudioFile_Click() {
    Global& g = G();
    const int row = cboAudioFile.ListIndex();
    if (row < 0) return;
    CurrentAudioFile = static_cast<size_t>(row) + 1 < AudioList.size()
                           ? AudioList[static_cast<size_t>(row) + 1]
                           : "";
    // The index follows every click, also of the row already current: after a recording the
    // removal question must name and remove the same row.
    CurrentAudioIndex = row;
    if (CurrentAudioFile == PreviousAudioFile) return;
    if (!cdShowing_) g.CDTransferDone = false;  // a track the CD window hands over keeps it
    edited();
    g.WaveReady = false;
    GetWaveInfo(CurrentAudioFile);
    chkTempoDetect.setValue(1);
    WorkTaps.clear();
    SetWaveParms();
    PreviousAudioFile = CurrentAudioFile;
    CurrentAudioIndex = row;
    CurrentMidiFile = MidiFile(cboMidiFile.ListIndex() + 1);
    cboMidiFile.setListIndex(row);
}

void frmProperties::cboAudioFile_KeyPress(int& KeyAscii) {
    if (KeyAscii != 46 && KeyAscii != 8) KeyAscii = 0;
}

void frmProperties::cboAudioFile_Change() {
    Global& g = G();
    if (undoingRemoval_) return;
    const std::string text = cboAudioFile.Text();
    // An empty list has no entry to remove: a typed "." is taken back and nothing else happens.
    if (cboAudioFile.ListCount() == 0) {
        undoingRemoval_ = true;
        cboAudioFile.setText("");
        undoingRemoval_ = false;
        return;
    }
    if (!text.empty() && g.WaveReady) {
        undoingRemoval_ = true;
        cboAudioFile.setText(cboAudioFile.List(CurrentAudioIndex));
        undoingRemoval_ = false;
        repaintLists();
        return;
    }
    if (text.empty()) {
        int answer = ui::MessageBox(
            "Are you sure you want to remove '" + CurrentAudioFile + "' from the list?",
            ui::YesNo + ui::Question + ui::DefaultButton2, "Project Editor");
        if (answer != ui::Answer::Yes) {
            undoingRemoval_ = true;
            cboAudioFile.setText(CurrentAudioFile);
            undoingRemoval_ = false;
            return;
        }
    }
    const int n = cboAudioFile.ListCount();
    if (n > 1 && CurrentAudioIndex < n - 1) {
        for (int i = CurrentAudioIndex + 1; i <= n - 1; ++i) {
            AudioList[static_cast<size_t>(i)] = AudioList[static_cast<size_t>(i) + 1];
            MidiList[static_cast<size_t>(i)] = MidiList[static_cast<size_t>(i) + 1];
            cboAudioFile.setList(i - 1, FileListRow(i, AudioList[static_cast<size_t>(i)]));
            cboMidiFile.setList(i - 1, FileListRow(i, MidiList[static_cast<size_t>(i)]));
        }
    }
    if (n > 0) {
        cboAudioFile.RemoveItem(n - 1);
        cboMidiFile.RemoveItem(n - 1);
        AudioList.resize(static_cast<size_t>(n));
        MidiList.resize(static_cast<size_t>(n));
    }
    if (cboAudioFile.ListCount() > 0) {
        cboAudioFile.setListIndex(0);
        cboMidiFile.setListIndex(0);
    } else {
        CurrentAudioFile.clear();
        PreviousAudioFile.clear();
        GetWaveInfo("");
    }
    edited();
    repaintLists();
}

void frmProperties::cmdWaveBrowse_Click() {
    Global& g = G();
    cdlFile.setDialogTitle("Select Audio File");
    cdlFile.setFilter(
        "All supported files (*.wav;*.mp3;*.wma;*.aac;*.aiff;*.aif)|*.wav;*.mp3;*.wma;*.aac;*.aiff;"
        "*.aif|Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|Windows Media Audio (*.wma)|*.wma|"
        "Advanced Audio Coding (*.aac)|*.aac|Audio AIFF (*.aiff;*.aif)|*.aiff;*.aif|All Files "
        "(*.*)|*.*");
    cdlFile.setDefaultExt("*.wav;*.mp3;*.wma;*.aac;*.aiff;*.aif");
    if (!CurrentAudioFile.empty()) {
        cdlFile.setFileName(CurrentAudioFile.substr(FolderOf(CurrentAudioFile).size()));
        cdlFile.setInitDir(FolderOf(CurrentAudioFile));
    } else {
        cdlFile.setFileName("");
        cdlFile.setInitDir(g.AudioFolder);
    }
    cdlFile.setFlags(4);
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    CurrentAudioFile = cdlFile.FileName();
    g.AudioFolder = FolderOf(CurrentAudioFile);
    AddToFileList();
}

void frmProperties::cmdWaveEdit_Click() {
    G().AudioFileToEdit = CurrentAudioFile;
    OpenAudioInEditor();
}

void frmProperties::cmdCD_Click() {
    Global& g = G();
    // While the wizard runs, the window adds the track to the list itself; that list click
    // must not take back the flag the window has just set.
    cdShowing_ = true;
    CallHook(Windows().showCdWindow);
    cdShowing_ = false;
    if (!g.CDTransferDone) return;
    g.AudioFolder = FolderOf(CurrentAudioFile);
    g.WaveReady = false;
    GetWaveInfo(CurrentAudioFile);
    chkEntireRange.setValue(1);
    WorkTaps.clear();
    CheckTempoStatus();
    chkTempoDetect.setValue(1);
    SetWaveParms();
    AddToFileList();
}

void frmProperties::cmdRecord_Click() {
    Global& g = G();
    const std::string start = txtStartPoint.Text(), end = txtEndPoint.Text();
    g.RecordingSaved = false;
    CallHook(Windows().showRecorder);
    if (g.RecordingSaved) {
        PreviousAudioFile = CurrentAudioFile;
        g.WaveReady = true;
        AddToFileList();
    }
    if (g.RecordMark != "-") {
        chkEntireRange.setValue(1);
        WorkTaps.clear();
        CheckTempoStatus();
        chkTempoDetect.setValue(g.RecordMark == "N" ? 1 : 0);
    } else {
        txtStartPoint.setText("00:00:00");
        txtStartPoint_LostFocus();
        txtEndPoint.setText(end);
        txtEndPoint_LostFocus();
        txtStartPoint.setText(start);
        txtStartPoint_LostFocus();
    }
}

// The defaults that follow a new audio file: Auto Detect of the note range and the MIDI threshold.
void frmProperties::SetWaveParms() {
    if (CurrentAudioFile.empty()) {
        chkAutoDetectNote.setValue(0);
        sldOutputThreshold.setValue(-5);
    } else if (PreviousAudioFile.empty()) {
        if (Val(txtPitchMode.Text()) > 1) chkAutoDetectNote.setValue(1);
        sldOutputThreshold.setValue(-5);
    }
}

// Time range.

void frmProperties::CheckEntireRange() {
    std::initializer_list<ui::Control*> range = {&sldTimeRange,  &txtStartPoint, &txtEndPoint,
                                                 &spnStartPoint, &spnEndPoint,   &lblStart,
                                                 &lblEnd};
    if (chkEntireRange.Value() == 1) {
        sldTimeRange.setSelStart(0);
        txtStartPoint.setText(FormatHMS(0));
        WorkStart = 0;
        sldTimeRange.setSelLength(AudioSeconds);
        txtEndPoint.setText(FormatHMS(AudioSeconds));
        for (ui::Control* c : range) c->setEnabled(false);
    } else {
        for (ui::Control* c : range) c->setEnabled(true);
    }
}

void frmProperties::chkEntireRange_Click() {
    edited();
    CheckEntireRange();
}

void frmProperties::txtStartPoint_Change() {
    edited();
}
void frmProperties::txtStartPoint_GotFocus() {
    txtStartPoint.setSelStart(0);
    txtStartPoint.setSelLength(static_cast<int>(txtStartPoint.Text().size()));
}
void frmProperties::txtStartPoint_LostFocus() {
    int32_t s = ParseHMS(txtStartPoint.Text());
    if (s == -1) {
        ShowMessage("Invalid Start Time format.", ui::Exclamation, "Project",
                    help_topic::StartTimeFormat);
        txtStartPoint.SetFocus();
    } else {
        int32_t e = ParseHMS(txtEndPoint.Text());
        if (s <= e) {
            sldTimeRange.setSelStart(s);
            sldTimeRange.setSelLength(e - s);
            txtStartPoint.setText(FormatHMS(s));
        } else {
            txtStartPoint.setText(txtEndPoint.Text());
            sldTimeRange.setSelStart(e);
            sldTimeRange.setSelLength(0);
        }
    }
    // The box shows whole seconds: while it shows the start's own second, a loaded start keeps
    // its fraction (leaving the box as it was found changes nothing).
    const int32_t shown = ParseHMS(txtStartPoint.Text());
    if (shown == -1 || WorkStart < 0 || shown != FloorLong(WorkStart))
        WorkStart = static_cast<float>(shown);
}

void frmProperties::txtEndPoint_Change() {
    edited();
}
void frmProperties::txtEndPoint_GotFocus() {
    txtEndPoint.setSelStart(0);
    txtEndPoint.setSelLength(static_cast<int>(txtEndPoint.Text().size()));
}
void frmProperties::txtEndPoint_LostFocus() {
    int32_t e = ParseHMS(txtEndPoint.Text());
    if (e == -1) {
        ShowMessage("Invalid End Time format.", ui::Exclamation, "Project",
                    help_topic::EndTimeFormat);
        txtEndPoint.SetFocus();
        return;
    }
    int32_t s = ParseHMS(txtStartPoint.Text());
    if (e > AudioSeconds) {
        txtEndPoint.setText(FormatHMS(AudioSeconds));
        sldTimeRange.setSelLength(AudioSeconds - s);
    } else if (e < s) {
        txtEndPoint.setText(txtStartPoint.Text());
        sldTimeRange.setSelLength(0);
    } else if (s != -1) {
        txtEndPoint.setText(FormatHMS(e));
        sldTimeRange.setSelLength(e - s);
    }
}

void frmProperties::spnStartPoint_DownClick() {
    int32_t s = ParseHMS(txtStartPoint.Text());
    if (s > 0) txtStartPoint.setText(FormatHMS(s - 1));
    txtStartPoint_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnStartPoint_UpClick() {
    txtStartPoint.setText(FormatHMS(ParseHMS(txtStartPoint.Text()) + 1));
    txtStartPoint_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnEndPoint_DownClick() {
    int32_t e = ParseHMS(txtEndPoint.Text());
    if (e > 0) txtEndPoint.setText(FormatHMS(e - 1));
    txtEndPoint_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnEndPoint_UpClick() {
    txtEndPoint.setText(FormatHMS(ParseHMS(txtEndPoint.Text()) + 1));
    txtEndPoint_LostFocus();
    ui::DoEvents();
}

void frmProperties::sldTimeRange_Scroll() {
    edited();
}

void frmProperties::sldTimeRange_MouseDown(int Button, int, double, double) {
    sldTimeRange.setValue(Button == 1 ? ParseHMS(txtEndPoint.Text())
                                      : ParseHMS(txtStartPoint.Text()));
}

void frmProperties::sldTimeRange_MouseUp(int Button, int, double, double) {
    int32_t value = sldTimeRange.Value();
    if (Button == 1) {
        txtEndPoint.setText(FormatHMS(value));
        int32_t length = value - sldTimeRange.SelStart();
        if (length >= 0) {
            sldTimeRange.setSelLength(length);
        } else {
            sldTimeRange.setSelLength(0);
            txtStartPoint.setText(txtEndPoint.Text());
        }
    } else {
        sldTimeRange.setSelStart(value);
        txtStartPoint.setText(FormatHMS(value));
        int32_t length = ParseHMS(txtEndPoint.Text()) - value;
        if (length >= 0) {
            sldTimeRange.setSelLength(length);
        } else {
            sldTimeRange.setSelLength(0);
            txtEndPoint.setText(txtStartPoint.Text());
        }
    }
}

// Stereo.

void frmProperties::optStereo_Click(int Index) {
    edited();
    bool balance = Index != 1;
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&sldStereoPan, &cmdStereoPanZero, &lblLeft, &lblRight})
        c->setEnabled(balance);
}

void frmProperties::sldStereoPan_Scroll() {
    edited();
}

void frmProperties::cmdStereoPanZero_Click() {
    sldStereoPan.setValue(0);
    edited();
}

// Tuning: the reference pitch in cents from 440 Hz.

void frmProperties::txtReferencePitch_Change() {
    edited();
    double v = 0;
    if (ReadBoxNumber(txtReferencePitch.Text(), v) && v > 0) {
        std::string shown = Val(txtReferencePitch.Text()) == std::floor(v)
                                ? std::to_string(ToLong(v))
                                : FormatSingle(static_cast<float>(v));
        txtReferencePitch.setText("+" + shown);
    }
}
void frmProperties::txtReferencePitch_GotFocus() {
    rememberFocus(txtReferencePitch);
}
void frmProperties::txtReferencePitch_KeyPress(int& KeyAscii) {
    if (!boxTakes(KeyAscii, "-+")) KeyAscii = 0;
}
void frmProperties::txtReferencePitch_LostFocus() {
    HoldBoxNumber(txtReferencePitch, -50, 50, remembered(txtReferencePitch));
}

}  // namespace velt::desk

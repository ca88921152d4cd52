// The desktop program's shared module: the open project (one variable per project key, the 16
// instrument parts and their working twins), folders, outside tool paths, options and the
// hand-over flags between windows. Every window reads and writes these variables directly; there
// is no accessor layer and no change notification. Everything runs on the one GUI thread.
//
// Widths follow the program's data model: Long values are int32_t, Integer values int16_t,
// Single values float, flags bool. The initial values are those of a new project; OpenProfile
// gives the same values to the keys a project file lacks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desk/core/window_links/offered_window.h"

namespace velt::desk {

struct SettingsDialogParts;
struct RecorderParts;
struct CdWindowParts;
class RecorderEditor;
class WizardFilePages;
class WizardRecordPage;
class WizardCdPage;

// A 1-based list of texts whose length is kept in a separate count (AudioFiles(1 To n)).
// Reading or writing an index outside 1..size() touches a scratch element, never memory past the
// list; redim keeps the entries that still fit.
class TextList {
  public:
    std::string& operator()(int32_t i);
    const std::string& operator()(int32_t i) const;
    void redim(int32_t count);
    int32_t size() const { return static_cast<int32_t>(items_.size()); }
    void clear() { items_.clear(); }

  private:
    std::vector<std::string> items_;
    mutable std::string scratch_;
};

constexpr int PartCount = 16;  // parts 0..15; part 15 is the percussion part
constexpr int PercussionPart = 15;
constexpr int PercussionChannel = 10;

// ResultAction: the results window's choice that acts after the window has closed (the index of
// its option), or none.
constexpr int32_t ResultNone = 0;
constexpr int32_t ResultConvertAgain = 2;
constexpr int32_t ResultBuildScore = 5;

using PartLongs = std::array<int32_t, PartCount>;      // Long(0 To 15)
using PartRange = std::array<int32_t, PartCount + 1>;  // Long(0 To 16); 16 = overall range

// The project record: one variable per project key, with the new-project values.
struct ProjectRecord {
    TextList AudioFiles;  // 1..AudioFileCount
    int32_t AudioFileCount = 0;
    TextList MidiFiles;  // 1..AudioFileCount
    int32_t EntireAudio = 1;
    float StartPoint = 0;        // seconds
    float EndPoint = 3600;       // seconds
    int32_t StereoPan = 50;      // 0..100, 50 = centre
    float ReferencePitch = 440;  // Hz
    int32_t PitchMode = 30;      // notes at once; 0 = drums
    int32_t KeyMin = 28;
    int32_t KeyMax = 85;
    int32_t AutoDetectNote = 0;
    int32_t AutoDetectKey = 1;
    int32_t KeySignature = 8;  // +sharps, -flats, 0 none, 8 = auto
    int32_t MajorMinor = 0;
    int32_t Transpose = 0;  // half steps
    int32_t Constrain = 0;
    int32_t PitchBend = 1;
    int32_t TempoDetect = 1;  // format-1 files default to 0
    int32_t TempoTrack = 1;
    float Tempo = 120;                     // BPM
    int32_t Speed = 100;                   // percent
    float Resolution = -1;                 // log2(notes per whole note); -1 = auto
    int32_t TimeSignatureNumerator = 0;    // 0 = auto
    int32_t TimeSignatureDenominator = 2;  // power of two
    int32_t ChordRes = 0;                  // beats per chord, 0 = auto
    int32_t AutoTiming = 0;
    int32_t InputThreshold = 384;  // negated slider value
    int32_t OutputThreshold = 5;   // negated slider value
    int32_t VelocityOn = 1;
    int32_t VelocityOff = 1;
    int32_t Controller = 11;  // 0 = off
    int32_t Gain = 100;       // negated slider value
    int32_t Compress = 1;
    int32_t Filter = -1;  // instrument filter entry, -1 = none
    int32_t MidiChan = 1;
    int32_t MidiPat = 0;
    int32_t Brightness = 74;  // 0 = off
    int32_t BeatDetect = 0;   // not stored
    int32_t StereoMode = 0;   // not stored
    std::string MasterFile;
    std::string DrumKit = "35,38,42,47,57,";
    std::string KitName = "Basic Kit";
    std::string Ensemble;
    int32_t AutoEnsName = 1;
    std::string TempoTaps;  // bytes: unsigned 16-bit little-endian intervals in ms
    std::string TempoFile;
};

struct Global : ProjectRecord {
    std::string ProjectFile;  // empty = new, unsaved project
    int32_t ProjectFormat = 3;

    // Committed parts (stored in the project) and their working twins (the instrument editors').
    PartLongs PartActive{1};
    PartLongs PartChannel{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 10};
    PartLongs PartTrack{};
    PartLongs PartPoly{30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 4};
    PartLongs PartPatch{};
    PartRange PartKeyMin{21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21};
    PartRange PartKeyMax{108, 108, 108, 108, 108, 108, 108, 108, 108,
                         108, 108, 108, 108, 108, 108, 108, 108};
    PartLongs EnsActive{1};
    PartLongs EnsChannel{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 10};
    PartLongs EnsTrack{};
    PartLongs EnsPoly{30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 4};
    PartLongs EnsPatch{};
    PartLongs EnsKeyMin{21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21};
    PartLongs EnsKeyMax{108, 108, 108, 108, 108, 108, 108, 108,
                        108, 108, 108, 108, 108, 108, 108, 108};
    // The ensemble editor's rows while it runs (element 16 = the overall range); the settings
    // dialog's test tones read them.
    PartRange RowKeyMin{};
    PartRange RowKeyMax{};
    std::string EnsDrumKit = "35,38,42,47,57,";
    std::string EnsKitName = "Basic Kit";
    int32_t EnsAutoName = 1;
    std::string RecMasterFile;

    // Master MIDI analysis (CheckMasterFile): elements 1..16; element 0 is unused.
    std::array<bool, 17> ChannelUsed{};
    std::array<int32_t, 17> ChannelProgram{-1, -1, -1, -1, -1, -1, -1, -1, -1,
                                           -1, -1, -1, -1, -1, -1, -1, -1};

    // Conversion hand-over.
    std::string WorkWaveFile;
    std::string SourceAudioFile;
    bool WaveReady = false;
    // The text of the last message box of a command-line run, where no one sees the box: a
    // decoding window's failure becomes the log line's outcome.
    std::string BatchMessage;
    std::string WorkMidiFile;
    int32_t ConvertIndex = 0;
    float ConvertDuration = 0;  // seconds
    float DetectedPitch = 0;    // Hz
    int32_t DetectedKeyMin = 0;
    int32_t DetectedKeyMax = 0;
    float AudioLength = 0;  // seconds
    int32_t AudioChannels = 0;
    int32_t ResultAction = ResultNone;
    std::string ScoreBuilderMaster;
    int32_t ScoreBuilderPatch = 0;

    // Paths and folders. Folders that the program fills end in "/"; TempFolder does not.
    std::string AppTitle = "Veltrane Rizaduzede";
    std::string InstallFolder;
    std::string TempFolder;
    std::string TempProject;  // TempFolder + "/~temp.vpr"
    std::string TempTapFile;  // TempFolder + "/~temp.tt"
    std::string LogFile;
    std::string CmdLineProject;
    std::string Quote = "\"";
    std::string SystemFolder;
    std::string ProgramFilesFolder;
    std::string MusicFolder;
    std::string UserFolder;
    std::string ProjectFolder, AudioFolder, MidiFolder, EnsembleFolder, DrumKitFolder;
    std::string AudioEditor, MidiEditor, CDPlayer, Mixer;
    std::string AudioFileToEdit, MidiFileToEdit;

    // Options (settings store section "Custom").
    int32_t UserLevel = 1;
    int32_t PlayEdit = 1;
    int32_t Transcribe = 1;
    int32_t AutoPlay = 0;
    int32_t NoteValue = 0;
    int32_t Duration = 750;  // test-note length, ms
    int32_t Velocity = 127;  // test-note velocity
    int32_t Volume = 63;     // metronome velocity
    int32_t AudioDevice = 0;
    int32_t MidiDevice = 0;
    int32_t hMidiOut = 0;     // the open MIDI output port, 0 = none
    int32_t MidiResult = 0;   // last multimedia result of opening or sending
    int32_t TestToneEnd = 0;  // the scheduled end of the sounding test tone, 0 = none

    // Flags.
    bool ProjectChanged = false;
    bool BatchMode = false;
    bool BatchLogLost = false;  // a line of this command-line run could not be written to LogFile
    bool VistaOrLater = false;
    bool AudioFileValid = false;
    bool SettingsApplied = false;
    bool WizardRunning = false;
    bool WizardClosing = false;
    bool SuppressMidiErrors = false;
    bool CDTransferDone = false;
    bool RecordingSaved = false;
    bool KitFromEnsemble = false;
    bool EnsembleApplied = false;
    bool SplashMode = false;
    std::string RecordMark;

    // The program's own helper running now (the MP3 decoder) and its working files: what an end
    // of the program by a signal stops and removes. 0 and empty while none runs.
    int64_t HelperTask = 0;
    std::vector<std::string> HelperFiles;

    // Private state of the outside-tool procedures.
    struct ToolWindows {
        int64_t controlPanelTask = 0;
        int64_t controlPanelDeadline = 0;
        int64_t mixerTask = 0;
        bool mixerOpened = false;
        int64_t mixerDeadline = 0;
    } ToolWindowState;
};

// The program's one state block.
Global& G();

// Back to a freshly started program (tests, and nothing else, need this).
void ResetGlobal();

// The title line of the about box; the main window's caption is made from it.
inline const std::string ProgramTitle = "Veltrane Rizaduzede MP3 to MIDI Converter";

// What the project procedures ask of the main window. The main window fills these when it loads;
// unset hooks do nothing, so the procedures also run without a main window (batch mode, tests).
struct MainWindowHooks {
    std::function<void(const std::string&)> setCaption;
    std::function<void()> updateMenu;           // put ProjectFile at the top of the recent list
    std::function<void(bool)> enableSave;       // Save, Save As and toolbar button 3
    std::function<void(bool)> enablePlayer;     // toolbar button 8 and the player menu item
    std::function<void(bool)> enableRecognize;  // toolbar button 7 and the Recognize item
    std::function<void()> runSaveCommand;       // the File menu's Save command

    // What a conversion run needs of the main window. The progress window leaves the outcome of
    // its run in the status bar ("Finished", "User abort", "Error"), where Recognize reads it.
    std::function<std::string()> caption;
    std::function<std::string()> statusText;
    std::function<void(const std::string&)> setStatusText;
    std::function<void()> bringToFront;       // front and repaint (toolbar) after a modal window
    std::function<void()> closeProgram;       // the converter could not be started: close up
    std::function<void()> runNewCommand;      // mnuNew_Click
    std::function<void()> runPlayerCommand;   // mnuPlayer_Click
    std::function<void()> runProjectCommand;  // mnuProject_Click
    std::function<void()> runSaveAsCommand;   // mnuSaveAs_Click
    // Windows of other parts of the program that a conversion opens, until they are built.
    std::function<void()> showLiveWindow;    // frmLive, modal
    std::function<void()> chooseMidiEditor;  // the options dialog's MIDI editor browse and OK
};
MainWindowHooks& MainWindow();

// The windows of the window folders (settings, media, instruments, wizard) as the core and the
// other window folders reach them. No folder includes a header of another window folder (nor
// the core one of them): each folder fills its entries when the program starts (RegisterWindows,
// desk/windows.h), and the others call through them. The entries are the program's wiring, not
// project state, so ResetGlobal keeps them.
struct WindowHooks {
    // Each of these shows its window modally (when its load succeeds) and releases it
    // afterwards; unset entries do nothing.
    std::function<void()> showWizard;          // the new-project wizard
    std::function<void()> showProperties;      // the settings dialog
    std::function<void()> showPlayer;          // the player
    std::function<void()> showCdWindow;        // the CD transfer window (settings dialog)
    std::function<void()> showRecorder;        // the recording window (settings dialog)
    std::function<void()> showEnsembleEditor;  // the ensemble editor (settings dialog)
    // The decoding windows of compressed audio; a command-line run keeps them minimized.
    std::function<void()> decodeMp3;
    std::function<void()> decodeWma;
    std::function<void()> decodeAac;
    std::function<void()> decodeAiff;

    // What the windows offer one another (declared in desk/core/window_links/). RegisterWindows
    // fills every one of these before any window opens.
    OfferedWindow<SettingsDialogParts> settingsDialog;  // settings: to the wizard and editors
    OfferedWindow<RecorderParts> recorder;              // media: to the wizard
    OfferedWindow<CdWindowParts> cdWindow;              // media: to the wizard
    // Media: the CD window loaded hidden with the wizard's CD page as its mirror.
    std::function<void()> loadCdWindowForWizard;
    // Settings: the recorder's link to the settings dialog.
    std::function<std::shared_ptr<RecorderEditor>()> recorderEditor;
    // Instruments: the text of the ensemble editor's first channel box while it is loaded; none
    // otherwise (the editor is never loaded for this).
    std::function<std::optional<std::string>()> ensembleFirstChannel;
    // Wizard: its pages, which the windows it drives mirror into (WizardFiles and the others in
    // desk/core/window_links/wizard_pages.h give do-nothing pages while these are unset).
    std::shared_ptr<WizardFilePages> wizardFiles;
    std::shared_ptr<WizardRecordPage> wizardRecordPage;
    std::shared_ptr<WizardCdPage> wizardCdPage;
};
WindowHooks& Windows();

// Runs a hook when it is set.
inline void CallHook(const std::function<void()>& hook) {
    if (hook) hook();
}

}  // namespace velt::desk

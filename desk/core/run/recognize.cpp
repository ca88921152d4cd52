#include "desk/core/recognize.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/project/project_file.h"
#include "desk/core/run/batch_decode.h"
#include "desk/core/run/batch_log.h"
#include "desk/core/run/decode_handover.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "desk/core/run/main_window_link.h"
#include "desk/core/shared/decode_files.h"
#include "desk/core/shared/message.h"
#include "desk/ui/ui.h"

namespace velt::desk {

namespace fs = std::filesystem;

namespace {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool isWav(const std::string& path) {
    std::string ending = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ending == ".WAV";
}

std::string workingWave() {
    return G().TempFolder + "/~temp.wav";
}

void mainToFront() {
    main_window::run(MainWindow().bringToFront);
}

// Loads a form and shows it modally, unless its Form_Load closed it already.
template <class F>
F* showModal() {
    ui::Load<F>();
    if (ui::isLoaded<F>()) ui::forms::get<F>().Show(ui::Modal);
    return ui::forms::existing<F>();
}

// One conversion run of the working project; true when the engine finished successfully.
bool runProgressWindow(int32_t index) {
    G().ConvertIndex = index;
    frmStatus* window = showModal<frmStatus>();
    return window != nullptr && window->Succeeded;
}

// Writes the working project for WorkWaveFile and WorkMidiFile. A project that could not be
// written is not converted: the engine would read an older working project, or none.
bool writeWorkingProject() {
    return SaveProfile(true);
}

// The replacement question; false when the user chose not to replace.
bool mayReplaceMidiFiles() {
    Global& g = G();
    if (g.WizardRunning) {
        g.WizardRunning = false;
        return true;
    }
    if (g.AudioFileCount == 0) return true;
    int existing = 0;
    int32_t last = 0;
    for (int32_t i = 1; i <= g.AudioFileCount; ++i) {
        if (fileExists(g.MidiFiles(i))) {
            ++existing;
            last = i;
        }
    }
    int answer = ui::Yes;
    if (existing >= 2) {
        answer = ShowMessage(std::to_string(existing) +
                                 " of the MIDI files already exist.  Do you want to replace "
                                 "existing files?",
                             ui::YesNo + ui::Question + ui::DefaultButton2, "Converter");
    } else if (existing == 1) {
        const std::string& name = g.MidiFiles(last);
        if (name == g.MasterFile) {
            answer = ShowMessage(
                "The Master file has the same name as the MIDI file.  This will cause the MIDI "
                "file to be replaced with the merged file.  Do you want to proceed?",
                ui::YesNo + ui::Question, "Rerar Odaduza");
        } else {
            answer = ShowMessage(
                "The file '" + name + "' already exists.  Do you want to replace existing file?",
                ui::YesNo + ui::Question + ui::DefaultButton2, "Converter");
        }
    }
    return answer == ui::Yes;
}

void convertLive() {
    Global& g = G();
    g.WorkWaveFile.clear();
    g.WorkMidiFile.clear();
    if (!writeWorkingProject()) return;
    main_window::run(MainWindow().showLiveWindow);
    mainToFront();
}

// What became of the single file: the command ends (a failed decode), or it goes on with or
// without a progress window having run.
enum class SingleFile { CommandEnds, NotConverted, Converted };

SingleFile convertOneFile() {
    Global& g = G();
    if (!g.SourceAudioFile.empty()) {
        g.WorkWaveFile = workingWave();
        DecodeSourceAudio(g.AudioFiles(1));
        mainToFront();
        if (!g.WaveReady) return SingleFile::CommandEnds;
    } else {
        g.WorkWaveFile = g.AudioFiles(1);
    }
    if (g.WorkWaveFile.empty()) return SingleFile::NotConverted;
    g.WorkMidiFile = g.MidiFiles(1);
    if (!writeWorkingProject()) return SingleFile::NotConverted;
    runProgressWindow(1);
    return SingleFile::Converted;
}

void convertSeveralFiles() {
    Global& g = G();
    int32_t lowest = 128;
    int32_t highest = -1;
    float pitchSum = 0;
    int32_t pitchCount = 0;
    for (int32_t i = 1; i <= g.AudioFileCount; ++i) {
        if (!isWav(g.AudioFiles(i))) {
            g.SourceAudioFile = g.AudioFiles(i);
            g.WorkWaveFile = workingWave();
            DecodeSourceAudio(g.AudioFiles(i));
            mainToFront();
            if (!g.WaveReady) g.WorkWaveFile.clear();  // this file is skipped
        } else {
            g.WorkWaveFile = g.AudioFiles(i);
        }
        if (g.WorkWaveFile.empty()) continue;
        g.WorkMidiFile = g.MidiFiles(i);
        if (!writeWorkingProject()) continue;
        // Only a run that finished has detected anything; a failed run's values are the
        // engine's defaults or those of an earlier file.
        if (!runProgressWindow(i)) continue;
        lowest = std::min(lowest, g.DetectedKeyMin);
        highest = std::max(highest, g.DetectedKeyMax);
        if (lowest < 128) {
            ++pitchCount;
            pitchSum += g.DetectedPitch;
        }
    }
    if (pitchCount == 0) return;
    g.ReferencePitch = pitchSum / static_cast<float>(pitchCount);
    if (lowest < 128 && g.AutoDetectNote != 0 && g.BeatDetect == 0 &&
        (g.KeyMin != lowest || g.KeyMax != highest)) {
        g.KeyMin = lowest;
        g.KeyMax = highest;
        g.ProjectChanged = true;
    }
}

// Returns true when the command should run again ("Convert again").
bool recognizeOnce() {
    Global& g = G();
    if (!mayReplaceMidiFiles()) return false;
    g.ConvertDuration = g.EndPoint - g.StartPoint;
    bool converted = false;  // a single file went through a progress window just now
    if (g.AudioFileCount == 0) {
        convertLive();
    } else if (g.AudioFileCount == 1) {
        SingleFile single = convertOneFile();
        if (single == SingleFile::CommandEnds) return false;
        converted = single == SingleFile::Converted;
    } else {
        convertSeveralFiles();
    }

    mainToFront();
    CheckEditFiles(1);
    ui::DoEvents();

    const std::string outcome = main_window::statusText();
    // The status bar's outcome counts only when this command ran the window that left it.
    if (!converted || (outcome != "Finished" && outcome != "User abort")) return false;
    showModal<frmResults>();
    mainToFront();
    if (g.ResultAction == ResultConvertAgain) return true;
    if (g.ResultAction == ResultBuildScore) main_window::run(MainWindow().runNewCommand);
    return false;
}

}  // namespace

void RunRecognize() {
    try {
        while (recognizeOnce()) {
        }
    } catch (const std::exception& e) {
        ShowMessage(std::string("Error accessing MIDI File information: ") + e.what(),
                    ui::Exclamation, "Converter");
    }
}

int RunBatchConversion() {
    Global& g = G();
    g.BatchMode = true;
    ui::runtime().batchMode = true;
    g.ConvertDuration = 0;
    const BatchAudio audio = PrepareBatchAudio();
    if (audio.failure) {
        AppendBatchLog(*audio.failure);
        RemoveFileQuietly(audio.workingWave);
        return 1;
    }
    // Audio shorter than one analysis window gives the engine nothing to analyse: it would
    // report success and leave an empty MIDI file. Refused in the desktop's own words.
    if (BatchAudioTooShort(audio.workingWave)) {
        AppendBatchLog("This audio file is too short.");
        RemoveFileQuietly(audio.workingWave);
        return 1;
    }
    frmStatus* window = showModal<frmStatus>();
    const bool succeeded = window != nullptr && window->Succeeded;
    RemoveFileQuietly(audio.workingWave);
    return succeeded && !g.BatchLogLost ? 0 : 1;
}

void AppendBatchLog(const std::string& outcome) {
    Global& g = G();
    const std::string& project = g.ProjectFile.empty() ? g.CmdLineProject : g.ProjectFile;
    if (AppendLogLine(g.LogFile, project, outcome)) return;
    g.BatchLogLost = true;
    // The outcome is not lost with the log: whoever started the run reads it here.
    std::fprintf(stderr, "Cannot write to the log file %s\n%s  %s\n", g.LogFile.c_str(),
                 project.c_str(), outcome.c_str());
}

void CloseResultsWindow() {
    ui::Unload<frmResults>();
}

}  // namespace velt::desk

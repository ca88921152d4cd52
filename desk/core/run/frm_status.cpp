#include "desk/core/run/frm_status.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/recognize.h"
#include "desk/core/run/bridge_loader.h"
#include "desk/core/run/main_window_link.h"
#include "desk/core/run/outcome.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

namespace {

constexpr int kTickMs = 56;
constexpr float kFinished = KVX_STATUS_FINISHED;
constexpr float kEngineStopped = -8.0f;  // the bridge's outcome for an engine that vanished

// Halves to even, as the window has always rounded its percent and estimates.
long roundEven(double value) {
    return std::lrint(value);
}

bool finishedMark(float status) {
    return std::trunc(status) == kFinished;
}

// A status the bridge treats as the end of the run: after it, the bridge has forgotten the run.
bool finalStatus(float status) {
    return std::isfinite(status) && (finishedMark(status) || status < 0);
}

std::string timeText(int32_t seconds) {
    std::string hms = FormatHMS(seconds);
    return TrimTime(hms);
}

bool sameTextNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

void removeQuietly(const std::string& file) {
    std::error_code ignored;
    if (!file.empty()) std::filesystem::remove(file, ignored);
}

}  // namespace

frmStatus::frmStatus() : Form("frmStatus") {
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    tmrStatus.Tick = [this] { tmrStatus_Timer(); };
}

void frmStatus::design() {
    setCaption("Converting...");
    Move(0, 0, 5160, 2520);
    lblStatus.Move(240, 180, 4680, 255);
    lblStatus.setCaption("Initializing");
    ProgressBar.Move(240, 480, 4680, 300);
    struct Row {
        ui::Label& caption;
        ui::Label& value;
        const char* text;
    } rows[] = {{lblElapsedCaption, lblTimeElapsed, "Time Elapsed:"},
                {lblRemainCaption, lblEstTimeRemain, "Estimated Time Remaining:"},
                {lblTotalCaption, lblEstTotTime, "Estimated Total Time:"}};
    double top = 900;
    for (Row& row : rows) {
        row.caption.Move(240, top, 2760, 255);
        row.caption.setCaption(row.text);
        row.value.Move(3120, top, 1800, 255);
        top += 300;
    }
    cmdCancel.Move(1920, 1920, 1320, 375);
    cmdCancel.setCaption("&Stop");
    tmrStatus.setInterval(kTickMs);
    tmrStatus.setEnabled(false);
}

void frmStatus::Form_Load() {
    Global& g = G();
    setCaption("Converting: " + BaseNameOf(g.AudioFiles(g.ConvertIndex)));
    if (g.BatchMode) {
        setWindowState(1);
    } else {
        SavedCaption = main_window::caption();
        setWindowState(0);
    }
    LowKey = 128;
    HighKey = -1;
    KeySig = 8;
    KeyMode = 0;
    Succeeded = false;
    haveRecord_ = false;
    running_ = false;
    closing_ = false;
    stopAsked_ = -1;

    const BridgeCalls* bridge = Bridge();
    if (bridge == nullptr) {
        const std::string text = "Unable to run converter. Invalid install.";
        if (g.BatchMode) AppendBatchLog(text);
        ShowMessage(text, ui::Critical + ui::SystemModal, "Converter", help_topic::ConverterErrors);
        closeWindow();
        return;
    }
    BeginResult = static_cast<int16_t>(bridge->BeginConvert(g.TempProject.c_str()));
    if (BeginResult != KVX_DONE) {
        const std::string text = "Unable to run converter. Error: " + std::to_string(BeginResult);
        if (g.BatchMode) AppendBatchLog(text);
        ShowMessage(text + "\r\nVeltrane must now close. Please try again.",
                    ui::Critical + ui::SystemModal, "Converter", help_topic::ConverterErrors);
        closeWindow();
        if (!g.BatchMode) main_window::run(MainWindow().closeProgram);
        return;
    }
    running_ = true;
    FirstTick = true;
    if (!g.BatchMode) {
        main_window::setStatusText("Converting...");
        setMainCaptionFromStatus();
    }
    tmrStatus.setEnabled(true);
}

void frmStatus::tmrStatus_Timer() {
    Global& g = G();
    const BridgeCalls* bridge = Bridge();
    if (bridge == nullptr || !running_) return;
    if (stopAsked_ >= 0 && ui::runtime().clock().nowMs() - stopAsked_ >= kStopWaitMs) {
        giveUpRun();
        return;
    }
    ConvertStatus record{};
    int result = bridge->GetStatus(&record);
    if (result == KVX_NOT_RUNNING) {
        // The bridge has no run any more, yet no final line reached this window: the run is
        // over without an outcome of its own.
        record = {};
        record.status = kEngineStopped;
    } else if (result != KVX_DONE) {
        return;  // missing or torn status line: try again at the next tick
    }
    const bool sane = result == KVX_DONE && PlausibleStatus(record);
    if (!sane && !finalStatus(record.status)) return;  // a damaged line: skip this tick

    if (!sane) {
        // The end of the run, with values no engine writes: none of them reaches the project.
        haveRecord_ = false;
        LowKey = 128;
        HighKey = -1;
        KeySig = 8;
    } else {
        last_ = record;
        haveRecord_ = true;
        LowKey = record.lowKey;
        HighKey = record.highKey;
        if (g.AudioFileCount == 1) {
            KeySig = record.keySig;
            KeyMode = record.keyMode;
        }
    }

    float s = record.status;
    if (std::trunc(s) == -12.0f) s = kFinished;
    if (s < 0 || !std::isfinite(s)) {
        runEnded(s);
        return;
    }
    if (s == 0) return;  // the engine has not reported progress yet

    const int64_t now = ui::runtime().clock().nowMs();
    int32_t elapsed = 0;
    if (FirstTick) {
        FirstTick = false;
        StartTime = now;
    } else {
        // Whole seconds: the count of second boundaries crossed since the start.
        auto second = [](int64_t ms) { return ms >= 0 ? ms / 1000 : (ms - 999) / 1000; };
        elapsed = static_cast<int32_t>(second(now) - second(StartTime));
    }

    if (s >= 100) {
        cmdCancel.setEnabled(false);
        lblStatus.setCaption("Closing...");
        ProgressBar.setValue(100);
        if (!g.BatchMode) setMainCaptionFromStatus();
        lblTimeElapsed.setVisible(false);
        lblEstTimeRemain.setVisible(false);
        lblEstTotTime.setVisible(false);
    } else {
        ProgressBar.setValue(s);
        lblStatus.setCaption(std::to_string(roundEven(s)) + "% completed");
        if (!g.BatchMode) setMainCaptionFromStatus();
        lblTimeElapsed.setCaption(timeText(elapsed));
    }

    if (finishedMark(s)) {
        runSucceeded();
        return;
    }

    if (s < 100 && elapsed > 0 && roundEven(g.ConvertDuration) != 0) {
        const long remaining = roundEven(static_cast<double>(elapsed) / s * (100 - s));
        lblEstTimeRemain.setCaption(timeText(static_cast<int32_t>(remaining)));
        lblEstTotTime.setCaption(timeText(static_cast<int32_t>(elapsed + remaining)));
    }
}

void frmStatus::runEnded(float status) {
    const Global& g = G();
    running_ = false;
    const OutcomeMessage message = DescribeOutcome(status);
    if (g.BatchMode) {
        AppendBatchLog(message.text);
    } else if (status < -1 || !std::isfinite(status)) {
        main_window::setStatusText("Error");
        if (message.helpTopic != 0) {
            ShowMessage(message.text, ui::Critical + ui::SystemModal, "Conversion error",
                        message.helpTopic);
        } else {
            ShowMessage(message.text, ui::Critical, "Conversion error");
        }
    }
    closeWindow();
}

// The engine did not confirm the stop in time (hung, stopped): the bridge ends it and forgets
// the run, so that the window closes and the next conversion can start.
void frmStatus::giveUpRun() {
    const Global& g = G();
    if (const BridgeCalls* bridge = Bridge()) bridge->AbandonConvert();
    running_ = false;
    const std::string text = "The converter did not confirm that it stopped.";
    if (g.BatchMode) {
        AppendBatchLog(text);
    } else {
        main_window::setStatusText("Error");
        ShowMessage(text, ui::Critical + ui::SystemModal, "Converter", help_topic::ConverterErrors);
    }
    closeWindow();
}

void frmStatus::runSucceeded() {
    running_ = false;
    Succeeded = true;
    adoptDetectedValues();
    if (G().BatchMode) {
        AppendBatchLog("Completed successfully.");
    } else {
        main_window::setStatusText("Finished");
    }
    closeWindow();
}

// The run's detected values from its last record, once it has finished.
void frmStatus::adoptDetectedValues() {
    Global& g = G();
    if (!haveRecord_) return;
    const ConvertStatus& r = last_;
    if (g.AudioFileCount == 1) {
        g.StartPoint = r.startPoint;
        g.Resolution = r.resolution;
        g.Tempo = r.tempo;
        g.ChordRes = r.chordRes;
        if (g.TimeSignatureNumerator == 0) {
            g.TimeSignatureDenominator =
                (r.timeSigNumerator == 9 || r.timeSigNumerator == 12) ? 3 : 2;
        }
        g.TimeSignatureNumerator = r.timeSigNumerator;
        g.ReferencePitch = r.referencePitch;
    } else {
        g.DetectedPitch = r.referencePitch;
    }
}

void frmStatus::cmdCancel_Click() {
    if (stopAsked_ < 0) stopAsked_ = ui::runtime().clock().nowMs();
    if (const BridgeCalls* bridge = Bridge()) bridge->CancelConvert();
    if (!G().BatchMode) {
        main_window::setStatusText("User abort");
        setMainCaptionFromStatus();
    }
    lblStatus.setCaption("Closing...");
    lblEstTimeRemain.setVisible(false);
    lblEstTotTime.setVisible(false);
    lblTimeElapsed.setVisible(false);
}

void frmStatus::closeWindow() {
    closing_ = true;
    tmrStatus.setEnabled(false);
    unload();
}

void frmStatus::setMainCaptionFromStatus() {
    main_window::setCaption("Veltrane: " + lblStatus.Caption());
}

void frmStatus::Form_Unload(int& Cancel) {
    Global& g = G();
    if (running_ && !closing_) {
        // Closed by its frame while the engine runs: stop the engine first; its final line
        // closes the window. (At program end the unload goes on and the engine stops alone.)
        Cancel = 1;
        cmdCancel_Click();
        return;
    }
    tmrStatus.setEnabled(false);
    removeQuietly(g.TempProject);
    removeQuietly(g.TempTapFile);
    if (g.BatchMode) return;

    main_window::setCaption(SavedCaption);
    if (sameTextNoCase(main_window::statusText(), "Finished")) {
        if (g.AudioFileCount != 1) {
            g.DetectedKeyMin = LowKey;
            g.DetectedKeyMax = HighKey;
        } else {
            if (LowKey < 128 && g.AutoDetectNote != 0 && g.BeatDetect == 0 &&
                (g.KeyMin != LowKey || g.KeyMax != HighKey)) {
                g.KeyMin = LowKey;
                g.KeyMax = HighKey;
                g.ProjectChanged = true;
            }
            if (KeySig < 8 && g.AutoDetectKey != 0 &&
                (g.KeySignature != KeySig || g.MajorMinor != KeyMode)) {
                g.KeySignature = KeySig;
                g.MajorMinor = KeyMode;
                g.ProjectChanged = true;
            }
        }
        if (g.StartPoint != 0) g.EntireAudio = 0;
    }
    if (g.ProjectChanged && MainWindow().enableSave) MainWindow().enableSave(true);
}

}  // namespace velt::desk

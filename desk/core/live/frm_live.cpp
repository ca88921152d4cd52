#include "desk/core/live/frm_live.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/run/bridge_loader.h"
#include "desk/core/run/main_window_link.h"
#include "desk/core/shared/button_pictures.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/note_names.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"

namespace velt::desk {

namespace {

constexpr float kFinished = KVX_STATUS_FINISHED;
constexpr float kCancelled = -1.0f;
constexpr int32_t kFullScale = 32768;
constexpr int32_t kClipLevel = 0x7F00;
constexpr int32_t kQuarterLevel = 0x2000;

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The non-empty lines of a data file ("" for a file that cannot be read).
void removeQuietly(const std::string& file) {
    std::error_code ignored;
    if (!file.empty()) std::filesystem::remove(file, ignored);
}

// A drum seen from the side, for the drum display.
ui::Picture drumPicture() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(5, 11, 22, 14));
    p.setBrush(QColor(235, 225, 200));
    p.drawEllipse(QRectF(5, 7, 22, 8));
    p.drawLine(QPointF(3, 1), QPointF(14, 10));
    p.drawLine(QPointF(29, 1), QPointF(18, 10));
    p.end();
    return ui::Picture(std::move(image));
}

// The engine's outcome, as the user reads it.
std::string failureText(float status) {
    if (status == -3.008f) return "Specified Project does not exist.";
    switch (static_cast<int>(std::trunc(status))) {
        case -2:
            return "Error reading from file.";
        case -3:
            return "Error opening file.";
        case -5:
            return "Error writing to file.";
        case -6:
            return "Out of memory.";
        case -10:
            return "Unable to open MIDI device.";
        case -11:
            return "Unable to open audio device.";
        case -8:
            return "The converter stopped without reporting.";
        default:
            return "";
    }
}

long failureHelp(float status) {
    if (status == -3.008f) return help_topic::OpeningProject;
    switch (static_cast<int>(std::trunc(status))) {
        case -6:
            return help_topic::OutOfMemory;
        case -10:
        case -11:
            return help_topic::DeviceAndFileErrors;
        default:
            return help_topic::None;
    }
}

// A status as the window writes it after its message: the shortest decimal text that reads back
// as the same single-precision number ("-2.021", "-8").
std::string statusText(float status) {
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(status));
        if (std::strtof(text, nullptr) == status) break;
    }
    return text;
}

}  // namespace

frmLive::frmLive() : Form("frmLive") {
    tmrStatus.Tick = [this] { tmrStatus_Timer(); };
    tmrClose.Tick = [this] { tmrClose_Timer(); };
    cboPatch.Click = [this] { cboPatch_Click(); };
    cmdThres.Click = [this] { cmdThres_Click(); };
    cmdMixer.Click = [this] { cmdMixer_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
}

void frmLive::design() {
    setCaption("Real Time Control Panel");
    Move(0, 0, 5400, 3720);
    setHelpContextID(help_topic::LiveConversionWindow);

    tmrStatus.setInterval(56);
    tmrStatus.setEnabled(false);
    tmrClose.setInterval(250);
    tmrClose.setEnabled(false);

    fraNote.Move(120, 120, 1815, 1335);
    fraNote.setCaption("Current Note");
    fraNote.setVisible(false);
    lblNote.setContainer(fraNote);
    lblNote.Move(120, 540, 1095, 375);
    lblNote.setAlignment(2);
    lblNote.setFontBold(true);
    lblNote.setFontSize(12);
    lblNote.setVisible(false);
    sldNote.setContainer(fraNote);
    sldNote.Move(1320, 240, 375, 1000);
    sldNote.setOrientation(1);
    sldNote.setMin(32);
    sldNote.setMax(96);
    sldNote.setValue(64);
    sldNote.setToolTipText("Pitch Bend");
    imgDrum.setContainer(fraNote);
    imgDrum.Move(480, 360, 480, 480);
    imgDrum.setPicture(drumPicture());
    imgDrum.setVisible(false);

    lblPatch.Move(2100, 120, 1815, 255);
    lblPatch.setCaption("Current Patch:");
    cboPatch.Move(2100, 400, 3120, 315);
    cboPatch.setStyle(ui::ComboBox::DropDownList);
    cboPatch.setHelpContextID(help_topic::LiveOutputPatch);

    lblLive.Move(2100, 840, 3120, 1335);
    lblLive.setWordWrap(true);
    lblLive.setCaption(
        "Play or sing into the microphone and watch the meter. Use the Adjust Recording Level "
        "button until the meter is green most of the time, then stop playing and press Set "
        "Threshold.");

    fraLevel.Move(120, 1560, 1815, 1455);
    fraLevel.setToolTipText("Recording Level");
    fraLevel.setVisible(false);
    for (ui::Control* c :
         {static_cast<ui::Control*>(&shpBackground), static_cast<ui::Control*>(&shpForeground),
          static_cast<ui::Control*>(&line50), static_cast<ui::Control*>(&lineThres)})
        c->setContainer(fraLevel);
    shpBackground.Move(720, 240, 375, 1095);
    shpBackground.setFillStyle(0);
    shpBackground.setFillColor(0);
    shpForeground.Move(720, 1280, 375, 55);
    shpForeground.setFillStyle(0);
    shpForeground.setFillColor(kRed);
    line50.setEnds(600, 0, 1215, 0);
    line50.setBorderColor(0x808080);
    lineThres.setEnds(600, 0, 1215, 0);
    lineThres.setBorderColor(kRed);

    cmdThres.Move(2100, 2280, 1440, 375);
    cmdThres.setCaption("Set &Threshold");
    cmdThres.setHelpContextID(help_topic::LiveSetThreshold);
    cmdMixer.Move(3660, 2280, 420, 375);
    cmdMixer.setPicture(LevelButtonPicture());
    cmdMixer.setToolTipText("Adjust Recording Level");
    cmdMixer.setHelpContextID(help_topic::LiveRecordingLevel);
    cmdClose.Move(2100, 2760, 1440, 375);
    cmdClose.setCaption("&Close");
    cmdClose.setCancel(true);
    cmdClose.setHelpContextID(help_topic::LiveCloseButton);
    cmdHelp.Move(3660, 2760, 1440, 375);
    cmdHelp.setCaption("&Help");
    cmdHelp.setHelpContextID(help_topic::LiveHelpButton);

    StatusBar.setToolTipText("Recognition Status");
    StatusBar.setText("Initializing...");
}

float frmLive::levelY(float level) const {
    const float b = static_cast<float>(shpBackground.Top());
    const float h = static_cast<float>(BarHeight);
    return b + h - level / static_cast<float>(kFullScale) * h;
}

void frmLive::placeThreshold(float level) {
    const float y = levelY(level);
    lineThres.setY1(y);
    lineThres.setY2(y);
    line50.setVisible(lineThres.Y1() > line50.Y1());
}

void frmLive::Form_Load() {
    const Global& g = G();
    running_ = false;
    closeStarted_ = -1;
    CurrentLevel = 0;
    LastLevel = 0;

    lblNote.setWidth(1095);
    if (g.BeatDetect != 0) {
        fraNote.setCaption("Current Drum");
        fraNote.setVisible(true);
        imgDrum.setTop(lblNote.Top());
    } else if (g.PitchMode >= 2) {
        fraNote.setCaption("Current Chord");
        fraNote.setVisible(true);
    } else if (g.PitchMode == 1 && g.StereoMode != 1) {
        lblNote.setWidth(615);
        fraNote.setCaption("Current Note");
        fraNote.setVisible(true);
        if (g.Constrain != 0) {
            sldNote.setMin(32);
            sldNote.setMax(96);
        } else {
            sldNote.setMin(48);
            sldNote.setMax(80);
        }
    }

    fillPatchList();

    const double b = shpBackground.Top();
    const double backHeight = shpBackground.Height();
    BarHeight = static_cast<int32_t>(std::lrint(0.95 * backHeight));
    const double barTop = b + BarHeight;
    shpForeground.setTop(barTop);
    shpForeground.setHeight(backHeight - (barTop - b));
    const double y50 = b + 0.75 * BarHeight;
    line50.setY1(y50);
    line50.setY2(y50);
    placeThreshold(static_cast<float>(g.InputThreshold));

    Initialize();
}

void frmLive::fillPatchList() {
    const Global& g = G();
    int32_t parts = 0;
    if (g.Filter == 0)
        for (int32_t active : g.EnsActive) parts += active;
    const std::string filterFile = g.InstallFolder + "filter.txt";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(filterFile, ec) || parts > 1) {
        lblPatch.setVisible(false);
        cboPatch.setVisible(false);
        return;
    }
    if (g.MidiChan == 10) {
        lblPatch.setCaption("Current Percussion:");
        for (const std::string& line : ReadDataLines(g.InstallFolder + "percussion.txt"))
            cboPatch.AddItem(line);
    } else {
        lblPatch.setCaption("Current Patch:");
        for (const std::string& line : ReadDataLines(filterFile)) cboPatch.AddItem(ListEntry(line));
    }
    if (cboPatch.ListCount() == 0) return;
    const int row = std::max(RowWithLeadingNumber(cboPatch, g.MidiPat), 0);
    // Raises the patch request, which the bridge declines while no run is going.
    cboPatch.setListIndex(row);
}

void frmLive::Initialize() {
    const BridgeCalls* bridge = Bridge();
    if (bridge == nullptr) {
        ShowMessage("Unable to run converter. Invalid install.", ui::Critical, "Converter",
                    help_topic::ConverterErrors);
        unload();
        return;
    }
    StartResult = static_cast<int16_t>(bridge->BeginConvert(G().TempProject.c_str()));
    if (StartResult == KVX_DONE) {
        running_ = true;
        tmrStatus.setEnabled(true);
        main_window::setStatusText("Converting...");
        StatusBar.setText("Initializing...");
        return;
    }
    ShowMessage("Unable to run converter. Error: " + std::to_string(StartResult) +
                    "\r\nVeltrane must now close. Please try again.",
                ui::Critical, "Converter", help_topic::ConverterErrors);
    unload();
    main_window::run(MainWindow().closeProgram);
}

void frmLive::Deinitialize() {
    tmrStatus.setEnabled(false);
    main_window::setStatusText("Ready");
}

void frmLive::tmrStatus_Timer() {
    const BridgeCalls* bridge = Bridge();
    if (bridge == nullptr) return;
    ConvertStatus record{};
    if (bridge->GetStatus(&record) != KVX_DONE) return;

    float s = record.status;
    if (std::trunc(s) == -12.0f || s == kCancelled) s = kFinished;
    if (std::isnan(s)) return;
    if (s < 0) {
        runEnded();
        if (s <= -2) reportFailure(s);
        unload();
        return;
    }
    if (s == 0) return;
    if (s == kFinished) {
        runEnded();
        unload();
        return;
    }

    const long rounded = std::lrint(std::min(s, 1e9f));
    const int32_t level = static_cast<int32_t>(rounded);
    if (level == LastLevel) return;
    LastLevel = level;
    CurrentLevel = level;
    if (startsWithNoCase(StatusBar.Text(), "Initializing...") &&
        StatusBar.Text().size() == std::strlen("Initializing...")) {
        StatusBar.setText("Active");
        fraLevel.setVisible(true);
        cmdThres_Click();  // the first level heard sets the threshold
    }
    if (level < 0 || level > kFullScale) return;
    showStatus(record, level);
}

void frmLive::showStatus(const ConvertStatus& record, int32_t level) {
    const Global& g = G();
    long colour = kGreen;
    if (level < g.InputThreshold || level >= kClipLevel)
        colour = kRed;
    else if (level < kQuarterLevel)
        colour = kYellow;
    shpForeground.setFillColor(colour);
    const double b = shpBackground.Top();
    const double barTop = levelY(static_cast<float>(level));
    shpForeground.setTop(barTop);
    shpForeground.setHeight(shpBackground.Height() - (barTop - b));

    const int32_t key = record.noteKey;
    // The chord text ends at its terminating zero; what follows is left over from longer names.
    const std::string chord(record.chord, strnlen(record.chord, sizeof record.chord));
    if (g.BeatDetect != 0 && key > 0) {
        imgDrum.setVisible(true);
        sldNote.setVisible(false);
    } else if (g.PitchMode == 1 && g.StereoMode != 1 && key > 0) {
        lblNote.setVisible(true);
        lblNote.setCaption(ValToKey(key));
        sldNote.setVisible(true);
        const float bend = std::isfinite(record.noteBend) ? record.noteBend : 64.0f;
        long b = std::lrint(std::clamp(bend, -1e6f, 1e6f));
        b = std::clamp<long>(b, sldNote.Min(), sldNote.Max());
        sldNote.setValue(static_cast<int>(128 - b));
        if (b > 56 && b < 72)
            lblNote.setForeColor(kInTune);
        else if (b > 40 && b < 88)
            lblNote.setForeColor(kNearly);
        else
            lblNote.setForeColor(kRed);
    } else if (g.BeatDetect == 0 && g.PitchMode > 1 && !startsWithNoCase(chord, "N/C")) {
        lblNote.setVisible(true);
        lblNote.setCaption(chord);
        sldNote.setVisible(false);
    } else {
        lblNote.setVisible(false);
        sldNote.setVisible(false);
        imgDrum.setVisible(false);
    }
}

void frmLive::runEnded() {
    running_ = false;
    tmrStatus.setEnabled(false);
}

void frmLive::reportFailure(float status) {
    main_window::setStatusText("Error");
    ShowMessage(failureText(status) + "  " + statusText(status), ui::Critical, "Conversion error",
                failureHelp(status));
}

void frmLive::cmdThres_Click() {
    const int32_t t = 2 * CurrentLevel;
    if (const BridgeCalls* bridge = Bridge()) bridge->SetThreshold();
    if (t > 0 && t <= kFullScale) {
        G().InputThreshold = t;
        placeThreshold(static_cast<float>(t));
    }
}

void frmLive::cboPatch_Click() {
    const double value = Val(cboPatch.Text());
    // A number that does not fit a patch number is no patch: nothing is sent.
    if (!(value >= -32768.5 && value < 32767.5)) return;
    const int n = static_cast<int16_t>(std::lrint(value));
    if (const BridgeCalls* bridge = Bridge()) bridge->SetPatch(n);
}

void frmLive::cmdMixer_Click() {
    OpenRecordingMixer();
}

void frmLive::cmdHelp_Click() {
    ShowHelpTopic(help_topic::LiveConversionWindow);
}

void frmLive::cmdClose_Click() {
    cmdClose.setEnabled(false);
    fraLevel.setVisible(false);
    tmrClose.setEnabled(true);
    StatusBar.setText("Closing...");
    imgDrum.setVisible(false);
    lblNote.setVisible(false);
    if (closeStarted_ < 0) closeStarted_ = ui::runtime().clock().nowMs();
    if (const BridgeCalls* bridge = Bridge()) bridge->CancelConvert();
}

void frmLive::tmrClose_Timer() {
    if (running_ && ui::runtime().clock().nowMs() - closeStarted_ >= kCloseWaitMs) {
        // The engine never confirmed its end: the bridge ends it and forgets the run, so that the
        // window goes and the next conversion can start.
        if (const BridgeCalls* bridge = Bridge()) bridge->AbandonConvert();
        runEnded();
        tmrClose.setEnabled(false);
        main_window::setStatusText("Error");
        ShowMessage("The converter did not confirm that it stopped.", ui::Critical, "Converter",
                    help_topic::ConverterErrors);
        unload();
        return;
    }
    cmdClose_Click();
}

void frmLive::Form_Unload(int& Cancel) {
    if (running_) {
        // Closed by its frame (or by the program's end) while the engine runs: stop the engine
        // the way Close does, and stay until it has reported its end.
        Cancel = 1;
        cmdClose_Click();
        return;
    }
    tmrClose.setEnabled(false);
    Deinitialize();
    removeQuietly(G().TempProject);
    removeQuietly(G().TempTapFile);
}

std::string frmLive::ValToKey(int32_t n) const {
    return desk::ValToKey(n, G().KeySignature);
}

}  // namespace velt::desk

#include "desk/media/frm_record.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/key_names.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/tempo_range.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "platform/mci/mci.h"
#include "platform/shell/shell.h"

namespace velt::desk {

namespace {

constexpr double kTempoSpinStep = 5;  // BPM per click of the tempo spinner

// The metronome light: a dark lamp and a lit one.
ui::Picture lamp(QColor colour) {
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(QColor(212, 208, 200));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::black);
    painter.drawEllipse(2, 2, 20, 20);
    painter.end();
    return ui::Picture(std::move(image));
}

// A tempo as the boxes show it: a whole number.
std::string wholeTempo(float tempo) {
    return std::to_string(static_cast<long>(std::lround(tempo)));
}

}  // namespace

frmRecord::frmRecord(std::shared_ptr<RecorderEditor> editor)
    : Form("frmRecord"), Editor(std::move(editor)) {
    if (!Editor && Windows().recorderEditor) Editor = Windows().recorderEditor();
    SendCommand = [](const std::string& text, std::string& returned) {
        return platform::mci::mciSendString(text, returned);
    };

    MMControl.RecordClick = [this](int& Cancel) { MMControl_RecordClick(Cancel); };
    MMControl.StopClick = [this](int& Cancel) { MMControl_StopClick(Cancel); };
    MMControl.PlayClick = [this](int& Cancel) { MMControl_PlayClick(Cancel); };
    MMControl.Done = [this](int code) { mmControl_Done(code); };
    tmrClock.Tick = [this] { tmrClock_Timer(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    cmdDevice.Click = [this] { cmdDevice_Click(); };
    cmdMixer.Click = [this] { cmdMixer_Click(); };
    cmdCDPlayer.Click = [this] { cmdCDPlayer_Click(); };
    cmdMetronome.Click = [this] { cmdMetronome_Click(); };
    cmdKeep.Click = [this] { cmdKeep_Click(); };
    cmdTest.Click = [this] { cmdTest_Click(); };
    spnTempo.DownClick = [this] { spnTempo_DownClick(); };
    spnTempo.UpClick = [this] { spnTempo_UpClick(); };
    spnTimeNum.Change = [this] { spnTimeNum_Change(); };
    sldVolume.Change = [this] { sldVolume_Click(); };
    txtTempo.Change = [this] { txtTempo_Change(); };
    txtTempo.KeyPress = [this](int& k) { txtTempo_KeyPress(k); };
    txtTempo.GotFocus = [this] { txtTempo_GotFocus(); };
    txtTempo.LostFocus = [this] { txtTempo_LostFocus(); };
    txtTimeNum.Change = [this] { txtTimeNum_Change(); };
    txtTimeNum.KeyPress = [this](int& k) { txtTimeNum_KeyPress(k); };
    txtTimeNum.GotFocus = [this] { txtTimeNum_GotFocus(); };
    txtTimeNum.LostFocus = [this] { txtTimeNum_LostFocus(); };
    tmrMetronome.Tick = [this] { tmrMetronome_Timer(); };
    cmdMasterBrowse.Click = [this] { cmdMasterBrowse_Click(); };
    cmdMasterEdit.Click = [this] { cmdMasterEdit_Click(); };
    txtMasterFile.Change = [this] { txtMasterFile_Change(); };
    txtMasterFile.GotFocus = [this] { txtMasterFile_GotFocus(); };
    txtMasterFile.KeyPress = [this](int& k) { txtMasterFile_KeyPress(k); };
    tmrLevel.Tick = [this] { tmrLevel_Timer(); };
    cmdThres.Click = [this] { cmdThres_Click(); };
}

void frmRecord::design() {
    setCaption("Record Audio File");
    Move(0, 0, kUnfoldedWidth, 4920);

    MMControl.Move(120, 120, 3735, 495);
    MMControl.setDeviceType("WaveAudio");
    for (int b = 0; b < ui::MediaControl::kButtons; ++b) {
        const auto button = static_cast<ui::MediaControl::Button>(b);
        const bool used = button == ui::MediaControl::Play || button == ui::MediaControl::Stop ||
                          button == ui::MediaControl::Record;
        MMControl.setButtonVisible(button, used);
    }
    StatusBar.setToolTipText("Recording Status");
    lblCounter.Move(120, 720, 2340, 615);
    lblCounter.setFontSize(24);
    lblCounter.setFontBold(true);
    lblCounter.setToolTipText("Counter Display");
    lblFileNameCaption.Move(120, 1440, 2340, 255);
    lblFileNameCaption.setCaption("Current Audio File:");
    lblFileName.Move(120, 1695, 2340, 255);
    cmdSave.Move(120, 2040, 1140, 375);
    cmdSave.setCaption("&Save");
    cmdOK.Move(1320, 2040, 1140, 375);
    cmdOK.setCaption("&Close");
    cmdOK.setCancel(true);
    cmdHelp.Move(120, 2490, 1140, 375);
    cmdHelp.setCaption("&Help");
    cmdMetronome.Move(120, 3390, 2340, 375);
    cmdMetronome.setCaption("&Metronome>>");
    cmdDevice.Move(120, 2940, 1140, 375);
    cmdDevice.setCaption("De&vice");
    cmdDevice.setToolTipText("Set Default Audio Recording Device");
    cmdMixer.Move(1320, 2940, 1140, 375);
    cmdMixer.setCaption("Mi&xer");
    cmdMixer.setToolTipText("Adjust Recording Level");
    cmdCDPlayer.Move(1320, 2490, 1140, 375);
    cmdCDPlayer.setCaption("C&D");
    cmdCDPlayer.setToolTipText("Open CD Player");
    tmrClock.setInterval(1);
    tmrClock.setEnabled(false);

    fraLevel.Move(2520, 720, 1440, 3375);
    fraLevel.setCaption("Recording Level");
    for (ui::Control* c : std::initializer_list<ui::Control*>{&shpBackground, &shpForeground,
                                                              &lineThres, &line50, &cmdThres})
        c->setContainer(fraLevel);
    shpBackground.Move(472, 300, 495, 2535);
    shpBackground.setFillStyle(0);
    shpBackground.setFillColor(0);
    shpForeground.setFillStyle(0);
    shpForeground.setVisible(false);
    lineThres.setBorderColor(255);
    line50.setBorderColor(0xFFFFFF);
    cmdThres.Move(60, 2895, 1320, 375);
    cmdThres.setCaption("S&et Threshold");
    tmrLevel.setInterval(1);
    tmrLevel.setEnabled(false);

    fraMetronome.Move(4080, 60, 3555, 2655);
    fraMetronome.setCaption("Metronome Settings");
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &lblTempo, &txtTempo, &spnTempo, &lblTimeNum, &txtTimeNum, &spnTimeNum, &gauTempo,
             &gauTempoLine, &lblSlower, &lblFaster, &lblVolume, &sldVolume, &lblSoft, &lblLoud,
             &cmdKeep, &cmdTest, &picMetronome})
        c->setContainer(fraMetronome);
    lblTempo.Move(120, 330, 900, 255);
    lblTempo.setCaption("Tempo:");
    txtTempo.Move(1080, 270, 615, 315);
    spnTempo.Move(1695, 270, 255, 315);
    spnTempo.setBuddy(txtTempo);
    spnTempo.setMin(kSlowestTempo);
    spnTempo.setMax(kFastestTempo);
    lblTimeNum.Move(120, 735, 1800, 255);
    lblTimeNum.setCaption("Beats Per Measure:");
    txtTimeNum.Move(1920, 675, 615, 315);
    txtTimeNum.setText("Auto");
    spnTimeNum.Move(2535, 675, 255, 315);
    spnTimeNum.setMin(0);
    spnTimeNum.setMax(99);
    spnTimeNum.setBuddy(txtTimeNum, true);
    gauTempo.Move(120, 1455, 1695, 840);
    gauTempo.setShape(2);
    gauTempoLine.setEnds(968, 1875, 468, 1815);
    gauTempoLine.setBorderWidth(2);
    lblSlower.Move(120, 2295, 735, 255);
    lblSlower.setCaption("Slower");
    lblFaster.Move(1080, 2295, 735, 255);
    lblFaster.setCaption("Faster");
    lblFaster.setAlignment(1);
    lblVolume.Move(1980, 1080, 1455, 255);
    lblVolume.setCaption("Volume");
    sldVolume.Move(1980, 1350, 1455, 375);
    sldVolume.setMin(-127);
    sldVolume.setMax(-1);
    sldVolume.setValue(-63);
    sldVolume.setLargeChange(4);
    lblSoft.Move(1980, 1725, 615, 255);
    lblSoft.setCaption("Soft");
    lblLoud.Move(2820, 1725, 615, 255);
    lblLoud.setCaption("Loud");
    lblLoud.setAlignment(1);
    cmdKeep.Move(1980, 1995, 1455, 375);
    cmdKeep.setCaption("&Keep Settings");
    cmdTest.Move(2760, 255, 675, 375);
    cmdTest.setCaption("&Test");
    picMetronome.Move(3000, 720, 360, 360);
    imglstMetronome.Add("off", lamp(QColor(64, 64, 64)));
    imglstMetronome.Add("on", lamp(QColor(0, 255, 0)));
    picMetronome.setPicture(imglstMetronome.ListImages(1).getPicture());
    tmrMetronome.setInterval(1);
    tmrMetronome.setEnabled(false);

    fraMasterFile.Move(4080, 2775, 3555, 1935);
    fraMasterFile.setCaption("Master MIDI File");
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &lblMasterName, &txtMasterFile, &cmdMasterBrowse, &cmdMasterEdit, &lblChannels,
             &lstChannels, &lblKey, &lblKey1})
        c->setContainer(fraMasterFile);
    lblMasterName.Move(120, 330, 1020, 255);
    lblMasterName.setCaption("File Name:");
    txtMasterFile.Move(1140, 270, 1395, 315);
    txtMasterFile.setToolTipText("Click a button to select or edit the master MIDI file.");
    cmdMasterBrowse.Move(2580, 270, 420, 315);
    cmdMasterBrowse.setCaption("...");
    cmdMasterBrowse.setToolTipText("Select Master MIDI File");
    cmdMasterEdit.Move(3030, 270, 420, 315);
    cmdMasterEdit.setCaption("Edit");
    cmdMasterEdit.setToolTipText("Edit Master MIDI File");
    lblChannels.Move(120, 660, 1200, 255);
    lblChannels.setCaption("Channel List:");
    lstChannels.Move(120, 915, 3330, 660);
    lblKey.Move(120, 1605, 480, 255);
    lblKey.setCaption("Key:");
    lblKey1.Move(600, 1605, 2850, 255);
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&lblChannels, &lstChannels, &lblKey, &lblKey1})
        c->setVisible(false);
}

void frmRecord::Form_Load() {
    Global& g = G();
    Move((ui::Screen::Width() - Width()) / 2, (ui::Screen::Height() - Height()) / 2, Width(),
         Height());
    setWidth(kFoldedWidth);

    txtTempo.setText(wholeTempo(Editor->tempo()));
    RecordTempo = Editor->tempo();  // the exact tempo, not the box's whole number
    setTempoNeedle();
    txtTimeNum.setText(Editor->timeNumText());
    sldVolume.setValue(-g.Volume);
    cmdKeep.setEnabled(false);

    const std::string audio = Editor->selectedAudioFile();
    if (audio.empty()) {
        lblFileName.setCaption("<NONE>");
    } else {
        const int32_t count = Editor->audioFileCount();
        std::string many("<");
        many.append(std::to_string(count)).append(" files>");
        lblFileName.setCaption(count == 1 ? BaseNameOf(audio) : many);
    }

    takePath_ = g.TempFolder + "/~temp.wav";
    denominatorIndex_ = Editor->timeDenomIndex();
    keySignature_ = 8 - Editor->keyIndex();
    minorFlag_ = Editor->minorFlag();

    RecordFile = g.RecMasterFile;
    txtMasterFile.setText(RecordFile.empty() ? "<NONE>" : BaseNameOf(RecordFile));

    recordState_ = "Idle";
    takeSaved_ = true;
    g.RecordMark.assign(1, '-');
    resetButtons(true, false, false);
    cmdSave.setEnabled(false);

    // The level meter's scale: the bar reaches down to the bottom of the background.
    meterHeight_ = std::round(shpBackground.Height() * 0.95);
    const double top = shpBackground.Top();
    shpForeground.Move(shpBackground.Left(), top + meterHeight_, shpBackground.Width(),
                       shpBackground.Height() - meterHeight_);
    const double y50 = top + meterHeight_ * 0.75;
    line50.setEnds(shpBackground.Left(), y50, shpBackground.Left() + shpBackground.Width(), y50);
    placeThresholdLine();
    OpenLevelMeter();
    firstReading_ = true;
}

void frmRecord::Form_Unload(int& Cancel) {
    (void)Cancel;
    Global& g = G();
    int cancel = 0;
    if (recordState_ != "Idle") MMControl_StopClick(cancel);
    if (!takeSaved_) cmdSave_Click();
    deleteTake();
    stopMetronomeRun();
    stopClock();
    CloseLevelMeter();
    // Only a saved take says how the tempo is to be found; otherwise the editor keeps its choice.
    if (g.RecordMark != "-") Editor->setTempoDetect(g.RecordMark == "N");
}

void frmRecord::deleteTake() {
    std::error_code ec;
    if (!takePath_.empty() && std::filesystem::is_regular_file(takePath_, ec))
        std::filesystem::remove(takePath_, ec);
    commandQuietly("delete wavefile");
}

// ---- tempo and beats boxes

// A box is checked when it is left, or with Enter (the window has no Default button); while the
// user types, a number on its way ("1" before "120") stays as typed. What code writes into the
// tempo box (the load, the spinner, a master file's tempo) is checked at once.

void frmRecord::txtTempo_KeyPress(int& KeyAscii) {
    const bool digit = KeyAscii >= '0' && KeyAscii <= '9';
    if (KeyAscii == 13 && ActiveControl() == &txtTempo) txtTempo_LostFocus();
    if (!digit && KeyAscii != 8 && KeyAscii != '.' && KeyAscii != ',') KeyAscii = 0;
}

void frmRecord::txtTimeNum_KeyPress(int& KeyAscii) {
    const bool digit = KeyAscii >= '0' && KeyAscii <= '9';
    if (KeyAscii == 13 && ActiveControl() == &txtTimeNum) txtTimeNum_LostFocus();
    if (!digit && KeyAscii != 8) KeyAscii = 0;
}

void frmRecord::txtTempo_Change() {
    cmdKeep.setEnabled(true);
    if (txtTempo.UserEdit()) {
        setTempoNeedle(static_cast<float>(Val(txtTempo.Text())));  // the needle follows the typing
        return;
    }
    txtTempo_LostFocus();
}

void frmRecord::txtTimeNum_Change() {
    cmdKeep.setEnabled(true);
}

void frmRecord::txtTempo_LostFocus() {
    const double value = Val(txtTempo.Text());
    if (value > kFastestTempo) {
        txtTempo.setText(std::to_string(kFastestTempo));
        RecordTempo = kFastestTempo;
    } else if (value < kSlowestTempo) {
        txtTempo.setText(std::to_string(kSlowestTempo));
        RecordTempo = kSlowestTempo;
    } else if (txtTempo.Enabled()) {
        // A disabled box is being written with a rounded tempo whose exact value is kept.
        RecordTempo = static_cast<float>(value);
    }
    setTempoNeedle();
}

void frmRecord::setTempoNeedle() {
    setTempoNeedle(RecordTempo);
}

void frmRecord::setTempoNeedle(float tempo) {
    const auto cx = static_cast<int16_t>(std::lround(gauTempo.Left() + gauTempo.Width() / 2));
    const auto cy = static_cast<int16_t>(std::lround(gauTempo.Top() + gauTempo.Height() / 2));
    const float shown = std::clamp(tempo, static_cast<float>(kSlowestTempo),
                                   static_cast<float>(kFastestGaugeTempo));
    const auto i = static_cast<int16_t>(std::lround(shown));
    gauTempoLine.setX2(ArcX(cx, kFastestGaugeTempo, kSlowestTempo, i));
    gauTempoLine.setY2(ArcY(cy, kFastestGaugeTempo, kSlowestTempo, i));
}

void frmRecord::spnTempo_DownClick() {
    const double value = Val(txtTempo.Text());
    if (value - kTempoSpinStep >= kSlowestTempo)
        txtTempo.setText(FormatSingle(static_cast<float>(value - kTempoSpinStep)));
    txtTempo_LostFocus();
    ui::DoEvents();
}

void frmRecord::spnTempo_UpClick() {
    const double value = Val(txtTempo.Text());
    if (value + kTempoSpinStep < kFastestTempo)
        txtTempo.setText(FormatSingle(static_cast<float>(value + kTempoSpinStep)));
    txtTempo_LostFocus();
    ui::DoEvents();
}

void frmRecord::spnTimeNum_Change() {
    if (spnTimeNum.Value() == 0) txtTimeNum.setText("Auto");
}

void frmRecord::txtTimeNum_LostFocus() {
    const std::string text = txtTimeNum.Text();
    if (text == "Auto") return;  // the unknown metre stays as it is
    const double value = Val(text);
    if (value < 1) {
        txtTimeNum.setText("1");
    } else if (value > 99) {
        txtTimeNum.setText("99");
    }
}

void frmRecord::txtTempo_GotFocus() {
    FocusedBox = &txtTempo;
    txtTempo.setSelStart(0);
    txtTempo.setSelLength(static_cast<int>(txtTempo.Text().size()));
}

void frmRecord::txtTimeNum_GotFocus() {
    FocusedBox = &txtTimeNum;
    txtTimeNum.setSelStart(0);
    txtTimeNum.setSelLength(static_cast<int>(txtTimeNum.Text().size()));
}

void frmRecord::sldVolume_Click() {
    cmdKeep.setEnabled(true);
}

void frmRecord::cmdKeep_Click() {
    Editor->keep(RecordTempo, txtTimeNum.Text());
    G().Volume = -sldVolume.Value();
    cmdKeep.setEnabled(false);
}

// ---- buttons

void frmRecord::cmdOK_Click() {
    unload();
}

void frmRecord::cmdHelp_Click() {
    ShowHelpTopic(help_topic::RecorderWindow);
}

void frmRecord::cmdDevice_Click() {
    OpenSoundControlPanel();
}

void frmRecord::cmdMixer_Click() {
    OpenRecordingMixer();
}

void frmRecord::cmdCDPlayer_Click() {
    const Global& g = G();
    ShowMessage(
        "You should use the Direct CD Transfer feature rather than this window unless Direct CD "
        "Transfer is incompatible with your CD drive.",
        ui::Information, "CD Player");
    if (!DeskShell().startProgram({g.CDPlayer}, platform::WindowStyle::Normal))
        ShowMessage("Unable to open CD Player.", ui::Critical, "CD Player", help_topic::CdPlayer);
}

}  // namespace velt::desk

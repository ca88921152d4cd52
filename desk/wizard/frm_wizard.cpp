// The wizard window: its controls, their wiring and layout, and the opening.
#include "desk/wizard/frm_wizard.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/gauge_face.h"
#include "desk/wizard/hidden_windows.h"

namespace velt::desk {

namespace {

using S = WizardStep;

constexpr double kWidth = 10200, kHeight = 6300;
constexpr double kPageTop = 600, kPageHeight = 4980;
constexpr double kContentLeft = 2280;  // right of the page picture
constexpr double kContentTop = 1260;   // below the instruction

struct PageText {
    const char* caption;
    const char* title;
    const char* instruction;
};

// Caption, title and instruction of each page (page 0 is never shown).
const PageText kPageTexts[frmWizard::kPages] = {
    {"", "", ""},
    {"Obtain Wave", "Obtain Audio", "Where does the music that you want to convert come from?"},
    {"Metronome", "Set Metronome for Recording",
     "Set the tempo and the beats per measure of the metronome that clicks while you record. "
     "Click Test to hear it."},
    {"Record Wave", "Record Audio File", ""},
    {"Select Wave", "Select Audio File",
     "Select the audio file to convert. Click Select Audio File to add another file, or Edit "
     "Audio File to open the selected one in your audio editor."},
    {"Types of Instruments", "Specify Number of Different Instruments",
     "How many different types of instruments does the audio contain?"},
    {"Instrument in Original Audio", "Instrument in Original Audio", ""},
    {"Select Ensemble", "Select Ensemble", ""},
    {"Pitch Mode", "Specify Level of Polyphony",
     "What is the largest number of notes that sound at the same time?"},
    {"Tempo Tapper", "Tap in the Tempo",
     "Click the Play button to start playing the audio file, then tap the Space Bar along "
     "with the beat of the music."},
    {"Timing Resolution", "Specify Timing Resolution (Notes Per Beat)",
     "Select the shortest note that the MIDI file should hold, in notes per beat."},
    {"Midi", "Specify Name for MIDI File",
     "This is the name of the MIDI file that will be generated. Click Select MIDI File to "
     "change it."},
    {"Finish", "Ready to Generate MIDI File", ""},
    {"CD Transfer", "Transfer Audio from CD",
     "Insert the audio CD, select the track and click Transfer Track to copy it into an audio "
     "file."},
    {"Sync", "Timing Setting", "How should the notes of the MIDI file be timed?"},
    {"What Instruments", "What Instruments",
     "What do you know about the instruments in the audio?"},
    {"Assign to Patch", "Assign to Patch", ""},
    {"Master File", "Select Master MIDI File",
     "Select the MIDI file to record against, or leave <NONE> to record without one."},
    {"Stereo", "Stereo Processing",
     "How should the position of the notes in the stereo image be "
     "treated?"},
};

// The page picture's background: a soft gradient, drawn rather than loaded.
QImage pageBackground() {
    QImage image(128, 320, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, image.height());
    g.setColorAt(0, QColor(38, 84, 140));
    g.setColorAt(1, QColor(120, 170, 210));
    p.fillRect(image.rect(), g);
    p.end();
    return image;
}

}  // namespace

ui::Picture WizardRoadPicture(RoadPosition at) {
    QImage image = pageBackground();
    QPainter p(&image);
    p.setPen(QColor(255, 255, 255, 220));
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 20, image.width(), 30), Qt::AlignHCenter, QStringLiteral("Step"));
    font.setPixelSize(56);
    p.setFont(font);
    p.drawText(QRect(0, 50, image.width(), 66), Qt::AlignHCenter, QString::number(at.position));
    font.setPixelSize(22);
    p.setFont(font);
    p.drawText(QRect(0, 120, image.width(), 30), Qt::AlignHCenter,
               QStringLiteral("of %1").arg(at.total));
    p.end();
    return ui::Picture(std::move(image));
}

// The dial's face, and its needle turning about the dial's centre and pointing at 120 until a
// tempo is drawn; the needle is drawn above the dial.
void frmWizard::placeNeedle(ui::PictureBox& dial, ui::Line& needle, ui::Frame& page) {
    DrawGaugeFace(dial);
    needle.setContainer(page);
    const double cx = std::round(dial.Left() + std::round(dial.Width()) / 2);
    const double cy = std::round(dial.Top() + std::round(dial.Height()) / 2);
    needle.setEnds(cx, cy - kGaugeRadius - kGaugeArcRaise, cx, cy);
    needle.setBorderWidth(2);
    needle.ZOrder();
}

frmWizard::frmWizard() : Form("frmWizard") {
    for (int i = 0; i < kPages; ++i) {
        fraStep.add(i);
        lblStep.add(i);
        imgStep.add(i);
    }
    wire();
}

void frmWizard::wire() {
    cmdNav.on(&ui::CommandButton::Click, [this](int i) { cmdNav_Click(i); });
    cboAudioFile.Click = [this] { cboAudioFile_Click(); };
    cboAudioFile.Change = [this] { cboAudioFile_Change(); };
    cboAudioFile.KeyPress = [this](int& k) { cboAudioFile_KeyPress(k); };
    cboMidiFile.Click = [this] { cboMidiFile_Click(); };
    cboMidiFile.KeyPress = [this](int& k) { cboMidiFile_KeyPress(k); };
    cboMidiFile.DblClick = [this] { cboMidiFile_DblClick(); };
    cboMidiFile.Change = [this] { cboMidiFile_Change(); };
    cmdWaveBrowse.Click = [this] { cmdWaveBrowse_Click(); };
    cmdWaveEdit.Click = [this] { cmdWaveEdit_Click(); };
    cmdMidiBrowse.Click = [this] { cmdMidiBrowse_Click(); };
    cmdProp.Click = [this] { cmdProp_Click(); };
    optFilter.on(&ui::OptionButton::Click, [this](int i) { optFilter_Click(i); });
    optStereo.on(&ui::OptionButton::Click, [this](int i) { optStereo_Click(i); });
    optSync.on(&ui::OptionButton::Click, [this](int i) { optSync_Click(i); });
    cboFilter.Click = [this] { cboFilter_Click(); };
    cboMidiPatch.Click = [this] { cboMidiPatch_Click(); };
    cboMidiPatch1.Click = [this] { cboMidiPatch1_Click(); };
    cmdsndFilter.Click = [this] { cmdsndFilter_Click(); };
    cmdsndPatch.Click = [this] { cmdsndPatch_Click(); };
    cmdsndPatch1.Click = [this] { cmdsndPatch1_Click(); };
    cmdPatchMapBrowse.Click = [this] { cmdPatchMapBrowse_Click(); };
    cmdPatchMapEdit.Click = [this] { cmdPatchMapEdit_Click(); };
    cmdDrumKitEdit.Click = [this] { cmdDrumKitEdit_Click(); };
    txtPitchMode.Change = [this] { txtPitchMode_Change(); };
    txtPitchMode.LostFocus = [this] { txtPitchMode_LostFocus(); };
    txtPitchMode.KeyPress = [this](int& k) { txtPitchMode_KeyPress(k); };
    chkTempoDetect.Click = [this] { chkTempoDetect_Click(); };
    cboRes.Click = [this] { cboRes_Click(); };
    cmdPlay.Click = [this] { cmdPlay_Click(); };
    cmdTempoTapper.Click = [this] { cmdTempoTapper_Click(); };
    cmdStop.Click = [this] { cmdStop_Click(); };
    txtTempo1.Change = [this] { txtTempo1_Change(); };
    txtTempo1.KeyPress = [this](int& k) { txtTempo1_KeyPress(k); };
    txtTempo1.LostFocus = [this] { txtTempo1_LostFocus(); };
    cmdTest.Click = [this] { cmdTest_Click(); };
    txtTempo.Change = [this] { txtTempo_Change(); };
    txtTempo.LostFocus = [this] { txtTempo_LostFocus(); };
    txtTempo.KeyPress = [this](int& k) { txtTempo_KeyPress(k); };
    spnTempo.DownClick = [this] { spnTempo_DownClick(); };
    spnTempo.UpClick = [this] { spnTempo_UpClick(); };
    txtTimeNum.Change = [this] { txtTimeNum_Change(); };
    txtTimeNum.LostFocus = [this] { txtTimeNum_LostFocus(); };
    txtTimeNum.KeyPress = [this](int& k) { txtTimeNum_KeyPress(k); };
    txtMasterFile.Change = [this] { txtMasterFile_Change(); };
    txtTempo.GotFocus = [this] { txtTempo_GotFocus(); };
    txtTimeNum.GotFocus = [this] { txtTimeNum_GotFocus(); };
    spnTimeNum.Change = [this] { spnTimeNum_Change(); };
    txtMasterFile.GotFocus = [this] { txtMasterFile_GotFocus(); };
    txtMasterFile.KeyPress = [this](int& k) { txtMasterFile_KeyPress(k); };
    txtTempo1.GotFocus = [this] { txtTempo1_GotFocus(); };
    txtPitchMode.GotFocus = [this] { txtPitchMode_GotFocus(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdDevice.Click = [this] { cmdDevice_Click(); };
    cmdMixer.Click = [this] { cmdMixer_Click(); };
    cmdCDPlayer.Click = [this] { cmdCDPlayer_Click(); };
    cmdMasterBrowse.Click = [this] { cmdMasterBrowse_Click(); };
    cmdMasterEdit.Click = [this] { cmdMasterEdit_Click(); };
    cmdRip.Click = [this] { cmdRip_Click(); };
    cmdMixerCD.Click = [this] { cmdMixerCD_Click(); };
    cboDrives.Click = [this] { cboDrives_Click(); };
    lstTracks.Click = [this] { lstTracks_Click(); };
    // The page's own button bars do nothing themselves: the windows behind them act.
    MMControl.PlayClick = [this](int& cancel) { MMControl_PlayClick(cancel); };
    MMControl.RecordClick = [this](int& cancel) { MMControl_RecordClick(cancel); };
    MMControl.StopClick = [this](int& cancel) { MMControl_StopClick(cancel); };
    // The CD page's bar does nothing itself: the CD window's handler of the same name acts.
    mmCD.PlayClick = [](int& cancel) {
        cancel = 1;
        int c = 1;
        wizard_windows::cdWindow().mmCD_PlayClick(c);
    };
    mmCD.StopClick = [](int& cancel) {
        cancel = 1;
        int c = 1;
        wizard_windows::cdWindow().mmCD_StopClick(c);
    };
    mmCD.PrevClick = [](int& cancel) {
        cancel = 1;
        int c = 1;
        wizard_windows::cdWindow().mmCD_PrevClick(c);
    };
    mmCD.NextClick = [](int& cancel) {
        cancel = 1;
        int c = 1;
        wizard_windows::cdWindow().mmCD_NextClick(c);
    };
    mmCD.EjectClick = [](int& cancel) {
        cancel = 1;
        int c = 1;
        wizard_windows::cdWindow().mmCD_EjectClick(c);
    };
}

void frmWizard::design() {
    setCaption("New Project Wizard");
    Move((ui::Screen::Width() - kWidth) / 2, (ui::Screen::Height() - kHeight) / 2, kWidth, kHeight);
    setHelpContextID(help_topic::NewProjectWizard);

    lblTitle.Move(240, 150, kWidth - 480, 375);
    lblTitle.setFontBold(true);
    lblTitle.setFontSize(12);

    for (int i = 0; i < kPages; ++i) {
        ui::Frame& page = fraStep(i);
        page.Move(kParked, kPageTop, kWidth, kPageHeight);
        page.setCaption(kPageTexts[i].caption);
        page.setTag(kPageTexts[i].title);
        page.setEnabled(false);
        page.setVisible(false);
        page.setBorderStyle(0);  // the title above the pages names the page
        imgStep(i).setContainer(page);
        imgStep(i).Move(120, 300, 1920, 4560);
        imgStep(i).setStretch(true);
        imgStep(i).setPicture(ui::Picture(pageBackground()));
        lblStep(i).setContainer(page);
        lblStep(i).Move(kContentLeft, 300, kWidth - kContentLeft - 240, 900);
        lblStep(i).setWordWrap(true);
        lblStep(i).setCaption(kPageTexts[i].instruction);
    }
    // The long instructions of the record and finish pages.
    lblStep(PageOf(S::RecordAudio)).Move(kContentLeft, 300, 5880, 2040);
    lblStep(PageOf(S::Finish)).Move(kContentLeft, 300, kWidth - kContentLeft - 240, 2000);

    auto place = [this](ui::Control& c, WizardStep step, double l, double t, double w, double h) {
        c.setContainer(fraStep(PageOf(step)));
        c.Move(kContentLeft + l, kContentTop + t, w, h);
    };

    // Step 1.
    const char* wave[] = {"Record directly into Veltrane while playing or singing",
                          "My music is recorded on a cassette tape, vinyl, or other media",
                          "My music is recorded as a wave, MP3, WMA, AAC, or AIFF file",
                          "Real Time Mode - Control a MIDI instrument or sound card by using a "
                          "microphone",
                          "My music is recorded on an audio CD"};
    for (int i = 0; i < 5; ++i) {
        place(optWave(i), S::AudioSource, 0, i * 480, kWidth - kContentLeft - 240, 375);
        optWave(i).setCaption(wave[i]);
    }
    optWave(0).setValue(true);

    // Step 2.
    place(lblTempo, S::Metronome, 0, 60, 1800, 255);
    lblTempo.setCaption("Tempo:");
    place(txtTempo, S::Metronome, 1920, 0, 720, 315);
    txtTempo.setText("120");
    place(spnTempo, S::Metronome, 2640, 0, 255, 315);
    spnTempo.setBuddy(txtTempo);
    place(lblTimeNum, S::Metronome, 0, 540, 1800, 255);
    lblTimeNum.setCaption("Beats per measure:");
    place(txtTimeNum, S::Metronome, 1920, 480, 720, 315);
    txtTimeNum.setText("4");
    place(spnTimeNum, S::Metronome, 2640, 480, 255, 315);
    spnTimeNum.setMin(0);
    spnTimeNum.setMax(99);
    spnTimeNum.setBuddy(txtTimeNum, true);
    place(cmdTest, S::Metronome, 0, 1020, 1215, 375);
    cmdTest.setCaption("&Test");
    place(gauTempo, S::Metronome, 3360, 0, 1320, kGaugeMinHeight);
    placeNeedle(gauTempo, gauTempoLine, fraStep(PageOf(S::Metronome)));

    // Step 3.
    place(MMControl, S::RecordAudio, 0, 1140, 2400, 375);
    MMControl.setDeviceType("WaveAudio");
    for (auto b : {ui::MediaControl::Prev, ui::MediaControl::Next, ui::MediaControl::Pause,
                   ui::MediaControl::Back, ui::MediaControl::Step, ui::MediaControl::Eject})
        MMControl.setButtonVisible(b, false);
    place(lblCounter, S::RecordAudio, 2520, 1200, 1200, 255);
    lblCounter.setCaption("00:00:00");
    place(lblFileName, S::RecordAudio, 0, 1620, 5400, 255);
    place(cmdSave, S::RecordAudio, 0, 2040, 1215, 375);
    cmdSave.setCaption("&Save");
    place(cmdDevice, S::RecordAudio, 1320, 2040, 1215, 375);
    cmdDevice.setCaption("Device");
    cmdDevice.setToolTipText("Set Default Audio Recording Device");
    place(cmdMixer, S::RecordAudio, 2640, 2040, 1215, 375);
    cmdMixer.setCaption("Level");
    cmdMixer.setToolTipText("Adjust Recording Level");
    place(cmdCDPlayer, S::RecordAudio, 3960, 2040, 1215, 375);
    cmdCDPlayer.setCaption("CD Player");
    cmdCDPlayer.setToolTipText("Open CD Player");
    place(picMetronome, S::RecordAudio, 3960, 2580, 480, 480);
    place(StatusBar, S::RecordAudio, 0, 3300, 5400, 300);
    StatusBar.setAlign(0);  // in the page's text column, not along the page's bottom
    StatusBar.setToolTipText("Recording Status");
    place(fraLevel, S::RecordAudio, 6240, -960, 1320, 4560);
    fraLevel.setCaption("Level");
    fraLevel.setToolTipText("Recording Level");
    fraLevel.setVisible(false);
    shpBackground.setContainer(fraLevel);
    shpForeground.setContainer(fraLevel);
    shpBackground.Move(300, 300, 360, 2700);
    shpBackground.setBackStyle(1);
    shpBackground.setBackColor(0x404040);
    shpForeground.Move(300, 3000, 360, 0);
    shpForeground.setBackStyle(1);
    shpForeground.setBackColor(0x00C000);
    for (ui::Line* l : {&line50, &lineThres}) {
        l->setContainer(fraLevel);
        l->setEnds(240, 1650, 720, 1650);
    }
    lineThres.setBorderColor(0x0000FF);

    // Step 17.
    place(txtMasterFile, S::MasterFile, 0, 0, 4800, 315);
    txtMasterFile.setText("<NONE>");
    place(cmdMasterBrowse, S::MasterFile, 4920, 0, 960, 315);
    cmdMasterBrowse.setCaption("Browse");
    cmdMasterBrowse.setToolTipText("Select Master MIDI File");
    place(cmdMasterEdit, S::MasterFile, 6000, 0, 960, 315);
    cmdMasterEdit.setCaption("Edit");
    cmdMasterEdit.setToolTipText("Edit Master MIDI File");
    place(lblChannels, S::MasterFile, 0, 480, 2400, 255);
    lblChannels.setCaption("Channel List:");
    place(lstChannels, S::MasterFile, 0, 780, 4800, 2400);
    place(lblKey, S::MasterFile, 4920, 780, 960, 255);
    lblKey.setCaption("Key:");
    place(lblKey1, S::MasterFile, 5880, 780, 1080, 255);

    // Step 4.
    place(lblAudioFile, S::AudioFile, 0, 60, 1200, 255);
    lblAudioFile.setCaption("Audio File:");
    place(cboAudioFile, S::AudioFile, 1200, 0, 5760, 315);
    cboAudioFile.setStyle(ui::ComboBox::DropDownCombo);
    place(cmdWaveBrowse, S::AudioFile, 1200, 480, 1800, 375);
    cmdWaveBrowse.setCaption("Select Audio File");
    place(cmdWaveEdit, S::AudioFile, 3120, 480, 1800, 375);
    cmdWaveEdit.setCaption("Edit Audio File");

    // Step 13.
    place(lblDrives, S::CdTransfer, 0, 60, 1200, 255);
    lblDrives.setCaption("CD Drive:");
    place(cboDrives, S::CdTransfer, 1200, 0, 3000, 315);
    cboDrives.setStyle(ui::ComboBox::DropDownList);
    place(lstTracks, S::CdTransfer, 0, 480, 4200, 1800);
    place(cmdRip, S::CdTransfer, 4440, 480, 1800, 375);
    cmdRip.setCaption("&Transfer Track");
    place(cmdMixerCD, S::CdTransfer, 4440, 960, 1800, 375);
    cmdMixerCD.setCaption("Adjust Volume");
    place(mmCD, S::CdTransfer, 0, 2400, 3000, 375);
    mmCD.setDeviceType("CDAudio");
    for (auto b : {ui::MediaControl::Pause, ui::MediaControl::Back, ui::MediaControl::Step,
                   ui::MediaControl::Record})
        mmCD.setButtonVisible(b, false);
    place(lblPositionCD, S::CdTransfer, 3120, 2460, 1080, 255);
    place(pbPlayCD, S::CdTransfer, 4440, 2460, 2520, 255);
    place(ProgressBarCD, S::CdTransfer, 0, 2820, kWidth - kContentLeft - 240, 255);
    place(lblFileNameCD, S::CdTransfer, 0, 3120, kWidth - kContentLeft - 240, 255);
    lblFileNameCD.setCaption("<NONE>");
    place(StatusBarCD, S::CdTransfer, 0, 3420, kWidth - kContentLeft - 240, 300);
    StatusBarCD.setAlign(0);

    // Step 15.
    const char* filter[] = {
        "I DO &NOT know what instruments comprise the original audio",
        "I &know what instruments comprise the original audio. Select this option to get "
        "multi-track MIDI.",
        "&Beat Detection - My audio is a drum track and I just want to know where the beats are",
        "&Drum Recognition - My audio is a drum track and I want to know what the drums are "
        "playing"};
    for (int i = 0; i < 4; ++i) {
        place(imgFilter(i), S::WhatInstruments, 0, i * 720, 480, 480);
        place(optFilter(i), S::WhatInstruments, 600, i * 720, 6360, 480);
        optFilter(i).setCaption(filter[i]);
    }

    // Step 5.
    const char* types[] = {"&Multiple - The audio contains several different types of instruments",
                           "&Single - The audio contains only one type of instrument",
                           "&Monophonic instruments on separate stereo tracks"};
    for (int i = 0; i < 3; ++i) {
        place(optFilter1(i), S::InstrumentTypes, 0, i * 600, kWidth - kContentLeft - 240, 375);
        optFilter1(i).setCaption(types[i]);
    }

    // Step 6.
    place(lblFilter, S::OriginalInstrument, 0, 60, 2880, 255);
    lblFilter.setCaption("Instrument in Original Audio:");
    place(cboFilter, S::OriginalInstrument, 2880, 0, 3360, 315);
    cboFilter.setStyle(ui::ComboBox::DropDownList);
    place(cmdsndFilter, S::OriginalInstrument, 6360, 0, 840, 315);
    cmdsndFilter.setCaption("Play");
    cmdsndFilter.setToolTipText("Play Audio Instrument Sound");
    place(lblMidiPatch1, S::OriginalInstrument, 0, 540, 2880, 255);
    lblMidiPatch1.setCaption("Assign to Patch:");
    place(cboMidiPatch1, S::OriginalInstrument, 2880, 480, 3360, 315);
    cboMidiPatch1.setStyle(ui::ComboBox::DropDownList);
    place(cmdsndPatch1, S::OriginalInstrument, 6360, 480, 840, 315);
    cmdsndPatch1.setCaption("Play");
    cmdsndPatch1.setToolTipText("Play Midi Patch");

    // Step 16.
    place(lblMidiPatch, S::OutputPatch, 0, 60, 2400, 255);
    lblMidiPatch.setCaption("Assign to Patch:");
    place(cboMidiPatch, S::OutputPatch, 2400, 0, 3600, 315);
    cboMidiPatch.setStyle(ui::ComboBox::DropDownList);
    place(cmdsndPatch, S::OutputPatch, 6120, 0, 840, 315);
    cmdsndPatch.setCaption("Play");
    cmdsndPatch.setToolTipText("Play Midi Patch");

    // Step 7.
    place(lblPatchMap, S::Ensemble, 0, 60, 1800, 255);
    lblPatchMap.setCaption("Ensemble Name:");
    place(txtPatchMap, S::Ensemble, 1920, 0, 4800, 315);
    txtPatchMap.setLocked(true);
    place(cmdPatchMapBrowse, S::Ensemble, 1920, 480, 1215, 375);
    cmdPatchMapBrowse.setCaption("Browse");
    cmdPatchMapBrowse.setToolTipText("Select Ensemble");
    place(cmdPatchMapEdit, S::Ensemble, 3255, 480, 1215, 375);
    cmdPatchMapEdit.setCaption("Edit");
    cmdPatchMapEdit.setToolTipText("Edit Ensemble");
    place(cmdDrumKitEdit, S::Ensemble, 3255, 480, 1215, 375);
    cmdDrumKitEdit.setCaption("Edit");
    cmdDrumKitEdit.setToolTipText("Edit Drum Kit");
    cmdDrumKitEdit.setVisible(false);

    // Step 8.
    place(lblPitchMode, S::Polyphony, 0, 60, 1200, 255);
    lblPitchMode.setCaption("Polyphony:");
    place(txtPitchMode, S::Polyphony, 1200, 0, 720, 315);
    txtPitchMode.setText("10");
    place(spnPitchMode, S::Polyphony, 1920, 0, 255, 315);
    spnPitchMode.setMin(1);
    spnPitchMode.setMax(128);
    spnPitchMode.setBuddy(txtPitchMode, true);

    // Step 18.
    const char* stereo[] = {
        "&Mix - Convert all notes equally regardless of their position in the stereo image. "
        "Normal setting.",
        "Split",
        "&Isolate - Emphasizes notes that are mixed toward the center of the stereo image, which "
        "are typically vocals and lead instruments. Can be used to help create a lead sheet "
        "containing the melody and chord names.",
        "&Remove - De-emphasizes notes that are mixed toward the center of the stereo image. Can "
        "be used to help create karaoke tracks."};
    for (int i = 0; i < 4; ++i) {
        place(optStereo(i), S::Stereo, 0, i * 840, kWidth - kContentLeft - 240, 720);
        optStereo(i).setCaption(stereo[i]);
        optStereo(i).setToolTipText(stereo[i]);
    }
    optStereo(1).setVisible(false);  // split comes from the types page, not from here

    // Step 14.
    const char* sync[] = {
        "&Easy - Let Veltrane determine the best timing settings automatically so that it sounds "
        "best when played back. Do not select this option if you intend to use the MIDI file for "
        "notation.",
        "&Notation - This will generate MIDI note and chord name data that aligns to beats so "
        "that it is suitable for notation. In the next step you will be requested to tap along "
        "with the music to tell Veltrane where the beats are."};
    for (int i = 0; i < 2; ++i) {
        place(optSync(i), S::TimingSetting, 0, i * 1080, kWidth - kContentLeft - 240, 960);
        optSync(i).setCaption(sync[i]);
        optSync(i).setToolTipText(sync[i]);
    }

    // Step 9.
    place(cmdPlay, S::TapTempo, 0, 0, 960, 375);
    cmdPlay.setCaption("Play");
    cmdPlay.setToolTipText("Start playing the audio file");
    place(cmdTempoTapper, S::TapTempo, 1080, 0, 960, 375);
    cmdTempoTapper.setCaption("Tap");
    cmdTempoTapper.setToolTipText("Tap in the Tempo here or with the space bar");
    place(cmdStop, S::TapTempo, 2160, 0, 960, 375);
    cmdStop.setCaption("Stop");
    cmdStop.setToolTipText("Stop playing the audio file");
    place(lblTempo1, S::TapTempo, 0, 600, 960, 255);
    lblTempo1.setCaption("Tempo:");
    place(txtTempo1, S::TapTempo, 1080, 540, 720, 315);
    txtTempo1.setText("120");
    place(chkTempoDetect, S::TapTempo, 1920, 570, 1440, 255);
    chkTempoDetect.setCaption("Auto Detect");
    place(lblBeatCount, S::TapTempo, 0, 1020, 960, 255);
    lblBeatCount.setCaption("Beats:");
    place(lblBeatCountVal, S::TapTempo, 1080, 1020, 720, 255);
    lblBeatCountVal.setToolTipText("Counter Display");
    place(gauTempo1, S::TapTempo, 3720, 0, 1320, kGaugeMinHeight);
    placeNeedle(gauTempo1, gauTempoLine1, fraStep(PageOf(S::TapTempo)));

    // Step 10.
    place(lblRes, S::TimingResolution, 0, 60, 2400, 255);
    lblRes.setCaption("Timing Resolution:");
    place(cboRes, S::TimingResolution, 2400, 0, 2400, 315);
    cboRes.setStyle(ui::ComboBox::DropDownList);

    // Step 11.
    place(lblMidiFile, S::MidiFileName, 0, 60, 1200, 255);
    lblMidiFile.setCaption("File Name:");
    place(cboMidiFile, S::MidiFileName, 1200, 0, 5760, 315);
    cboMidiFile.setStyle(ui::ComboBox::DropDownList);
    place(cmdMidiBrowse, S::MidiFileName, 1200, 480, 1800, 375);
    cmdMidiBrowse.setCaption("Select MIDI File");

    // Step 12.
    place(cmdProp, S::Finish, 0, 2160, 2400, 375);
    cmdProp.setCaption("Open Project Editor");

    // The button row.
    linButtons.setEnds(120, kPageTop + kPageHeight + 90, kWidth - 120, kPageTop + kPageHeight + 90);
    const char* nav[] = {"&Help", "&Cancel", "< &Back", "&Next >", "&Finish"};
    const double finish = kWidth - 120 - 1215;
    const double navLeft[] = {120, finish - 3945, finish - 2595, finish - 1335, finish};
    for (int i = 0; i < 5; ++i) {
        cmdNav(i).Move(navLeft[i], kHeight - 540, 1215, 375);
        cmdNav(i).setCaption(nav[i]);
    }
}

void frmWizard::Form_Load() {
    Global& g = G();
    for (int i = 0; i < kPages; ++i) parkPage(static_cast<WizardStep>(i));
    enableEditProject(false);
    if (g.ResultAction == ResultBuildScore) {
        // The recorder takes its master file from RecMasterFile: without it the score would
        // start with no master at all.
        g.MasterFile = g.ScoreBuilderMaster;
        g.RecMasterFile = g.ScoreBuilderMaster;
    }

    const SettingsDialogParts props = wizard_windows::editor();

    optFilter(0).setValue(true);
    for (int i : {2, 3}) {
        optFilter(i).setVisible(false);
        imgFilter(i).setVisible(false);
    }
    cboMidiPatch1.setVisible(false);
    lblMidiPatch1.setVisible(false);
    cmdsndPatch1.setVisible(false);

    cboRes.Clear();
    for (int i = 0; i < props.cboRes.ListCount(); ++i) cboRes.AddItem(props.cboRes.List(i));
    lblRes.setCaption(props.lblRes.Caption());

    WizardStep start = FirstStep;
    if (g.ResultAction == ResultBuildScore) {
        optWave(0).setValue(true);
        optFilter1(1).setValue(true);
        start = S::MasterFile;
        SyncRecordMeter();
    }
    // The score-building start is used once: a later New or settings dialog starts afresh.
    g.ResultAction = ResultNone;
    CurrentStep = start;
    StepsTaken.clear();
    ShowStep(start);
}

}  // namespace velt::desk

// The settings dialog's form: its controls wired to their handlers and laid out on the five tabs.
// Each tab's handlers, its part of loading and its part of Apply are in audio_tab.cpp,
// pitch_tab.cpp, timing_tab.cpp, dynamics_tab.cpp and midi_tab.cpp; what the whole dialog does
// (Form_Load's order, Apply, OK, Cancel, Help) is in properties_dialog.cpp.
#include "desk/settings/frm_properties.h"

#include "desk/core/help_topics.h"
#include "desk/core/shared/gauge_face.h"

namespace velt::desk {

namespace {

constexpr int kAudioTab = 0, kPitchTab = 1, kTimingTab = 2, kDynamicsTab = 3, kMidiTab = 4;

}  // namespace

frmProperties::frmProperties() : Form("frmProperties") {
    wire();
}

void frmProperties::wire() {
    tabProperties.Click = [this](int previous) { tabProperties_Click(previous); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    wireAudioTab();
    wirePitchTab();
    wireTimingTab();
    wireDynamicsTab();
    wireMidiTab();
}

void frmProperties::design() {
    setCaption("Edit Project");
    Move((ui::Screen::Width() - 9000) / 2, (ui::Screen::Height() - 6600) / 2, 9000, 6600);
    setHelpContextID(help_topic::ProjectSettingsWindow);

    tabProperties.Move(120, 120, 8760, 5760);
    tabProperties.setTabs(5);
    const char* tabs[] = {"&Audio", "&Pitch", "&Timing", "&Dynamics", "&MIDI"};
    for (int i = 0; i < 5; ++i) tabProperties.setTabCaption(i, tabs[i]);

    // Places a control on a tab page (or in a frame) with its caption or text.
    auto on = [this](ui::Control& c, int page, double l, double t, double w, double h) {
        c.setContainer(tabProperties, page);
        c.Move(l, t, w, h);
    };
    auto in = [](ui::Control& c, ui::Control& frame, double l, double t, double w, double h) {
        c.setContainer(frame);
        c.Move(l, t, w, h);
    };

    // Audio tab.
    on(fraWaveFile, kAudioTab, 120, 480, 8400, 1455);
    fraWaveFile.setCaption("Audio File(s)");
    in(lblWaveFile, fraWaveFile, 120, 330, 960, 255);
    lblWaveFile.setCaption("File Name:");
    in(cboAudioFile, fraWaveFile, 1080, 270, 7200, 315);
    cboAudioFile.setStyle(ui::ComboBox::DropDownCombo);
    cboAudioFile.setToolTipText("Click a button to obtain the audio file.");
    in(cmdWaveBrowse, fraWaveFile, 1080, 690, 1755, 375);
    cmdWaveBrowse.setCaption("Select Audio File");
    in(cmdRecord, fraWaveFile, 2895, 690, 1755, 375);
    cmdRecord.setCaption("Record Wave File");
    in(cmdCD, fraWaveFile, 4710, 690, 1755, 375);
    cmdCD.setCaption("Transfer from CD");
    in(cmdWaveEdit, fraWaveFile, 6525, 690, 1755, 375);
    cmdWaveEdit.setCaption("Edit Audio File");
    in(lblLive, fraWaveFile, 1080, 1110, 7200, 255);
    lblLive.setCaption("Leave File Name blank for Real Time Mode.");

    on(fraTimeRange, kAudioTab, 120, 2040, 4800, 1695);
    fraTimeRange.setCaption("Time Range");
    in(chkEntireRange, fraTimeRange, 120, 300, 1800, 255);
    chkEntireRange.setCaption("&Entire Range");
    in(lblStart, fraTimeRange, 120, 690, 600, 255);
    lblStart.setCaption("Start:");
    in(txtStartPoint, fraTimeRange, 720, 630, 1080, 315);
    txtStartPoint.setMask("##:##:##");
    in(spnStartPoint, fraTimeRange, 1800, 630, 255, 315);
    spnStartPoint.setBuddy(txtStartPoint);
    in(lblEnd, fraTimeRange, 2400, 690, 600, 255);
    lblEnd.setCaption("End:");
    in(txtEndPoint, fraTimeRange, 3000, 630, 1080, 315);
    txtEndPoint.setMask("##:##:##");
    in(spnEndPoint, fraTimeRange, 4080, 630, 255, 315);
    spnEndPoint.setBuddy(txtEndPoint);
    in(sldTimeRange, fraTimeRange, 120, 1080, 4560, 435);
    sldTimeRange.setMax(3600);

    on(fraStereo, kAudioTab, 5040, 2040, 3480, 1995);
    fraStereo.setCaption("Stereo");
    const char* stereo[] = {"Mix", "Split", "Isolate", "Remove"};
    for (int i = 0; i < 4; ++i) {
        in(optStereo(i), fraStereo, 120 + (i % 2) * 1620, 300 + (i / 2) * 300, 1560, 255);
        optStereo(i).setCaption(stereo[i]);
    }
    in(lblLeft, fraStereo, 120, 990, 600, 255);
    lblLeft.setCaption("Left");
    in(sldStereoPan, fraStereo, 720, 930, 2100, 435);
    sldStereoPan.setMin(-50);
    sldStereoPan.setMax(50);
    in(lblRight, fraStereo, 2820, 990, 600, 255);
    lblRight.setCaption("Right");
    in(cmdStereoPanZero, fraStereo, 720, 1440, 2100, 375);
    cmdStereoPanZero.setCaption("Center Stereo Balance");

    on(lblReferencePitch, kAudioTab, 120, 3960, 1680, 255);
    lblReferencePitch.setCaption("Tuning (cents):");
    on(txtReferencePitch, kAudioTab, 1800, 3900, 720, 315);
    on(spnReferencePitch, kAudioTab, 2520, 3900, 255, 315);
    spnReferencePitch.setMin(-50);
    spnReferencePitch.setMax(50);
    spnReferencePitch.setBuddy(txtReferencePitch, true);

    // Pitch tab.
    on(optBeatDetect(0), kPitchTab, 120, 540, 1440, 255);
    optBeatDetect(0).setCaption("Pol&yphony:");
    on(txtPitchMode, kPitchTab, 1560, 480, 600, 315);
    on(spnPitchMode, kPitchTab, 2160, 480, 255, 315);
    spnPitchMode.setMin(1);
    spnPitchMode.setMax(128);
    spnPitchMode.setBuddy(txtPitchMode, true);
    on(optBeatDetect(1), kPitchTab, 2640, 540, 1440, 255);
    optBeatDetect(1).setCaption("&Drums only");
    on(chkPitchBend, kPitchTab, 4320, 540, 2160, 255);
    chkPitchBend.setCaption("Track Pitch Bend");

    on(fraNoteRange, kPitchTab, 120, 960, 8400, 1575);
    fraNoteRange.setCaption("Master Pitch Range");
    in(lblKeyMin, fraNoteRange, 120, 360, 600, 255);
    lblKeyMin.setCaption("Low:");
    in(txtKeyMin, fraNoteRange, 720, 300, 720, 315);
    in(spnKeyMin, fraNoteRange, 1440, 300, 255, 315);
    spnKeyMin.setBuddy(txtKeyMin);
    in(cmdsndKeyMin, fraNoteRange, 1800, 270, 1440, 375);
    cmdsndKeyMin.setCaption("Play Low Note");
    in(lblKeyMax, fraNoteRange, 3480, 360, 600, 255);
    lblKeyMax.setCaption("High:");
    in(txtKeyMax, fraNoteRange, 4080, 300, 720, 315);
    in(spnKeyMax, fraNoteRange, 4800, 300, 255, 315);
    spnKeyMax.setBuddy(txtKeyMax);
    in(cmdsndKeyMax, fraNoteRange, 5160, 270, 1440, 375);
    cmdsndKeyMax.setCaption("Play High Note");
    in(chkAutoDetectNote, fraNoteRange, 6840, 330, 1440, 255);
    chkAutoDetectNote.setCaption("Auto Detect");
    in(sldNoteRange, fraNoteRange, 120, 780, 6600, 435);
    sldNoteRange.setMin(-127);
    sldNoteRange.setMax(0);
    in(lblMiddleC, fraNoteRange, 6840, 840, 1440, 255);
    lblMiddleC.setCaption("C5 = Middle C");

    on(fraTranspose, kPitchTab, 120, 2640, 3000, 1215);
    fraTranspose.setCaption("Transpose");
    in(lblOctaves, fraTranspose, 120, 360, 1200, 255);
    lblOctaves.setCaption("Octaves:");
    in(txtOctaves, fraTranspose, 1440, 300, 720, 315);
    in(spnOctaves, fraTranspose, 2160, 300, 255, 315);
    spnOctaves.setMin(-10);
    spnOctaves.setMax(10);
    spnOctaves.setBuddy(txtOctaves, true);
    in(lblHalfSteps, fraTranspose, 120, 780, 1200, 255);
    lblHalfSteps.setCaption("Half Steps:");
    in(txtHalfSteps, fraTranspose, 1440, 720, 720, 315);
    in(spnHalfSteps, fraTranspose, 2160, 720, 255, 315);
    spnHalfSteps.setMin(-11);
    spnHalfSteps.setMax(11);
    spnHalfSteps.setBuddy(txtHalfSteps, true);

    on(fraKey, kPitchTab, 3240, 2640, 5280, 1215);
    fraKey.setCaption("Key");
    in(cboKey, fraKey, 120, 300, 3360, 315);
    cboKey.setStyle(ui::ComboBox::DropDownList);
    in(cmdsndKey, fraKey, 3600, 270, 1560, 375);
    cmdsndKey.setCaption("Play Tonic Chord");
    in(chkConstrain, fraKey, 120, 780, 1920, 255);
    chkConstrain.setCaption("Constrain to &Key");
    in(optMajorMinor(0), fraKey, 2280, 780, 1200, 255);
    optMajorMinor(0).setCaption("Ma&jor");
    in(optMajorMinor(1), fraKey, 3600, 780, 1200, 255);
    optMajorMinor(1).setCaption("Mino&r");

    on(lblCCBright, kPitchTab, 120, 4080, 2280, 255);
    lblCCBright.setCaption("Assign Brightness to:");
    on(cboCCBright, kPitchTab, 2400, 4020, 2880, 315);
    cboCCBright.setStyle(ui::ComboBox::DropDownList);
    on(lblMonoBlank, kPitchTab, 120, 4560, 6000, 255);
    lblMonoBlank.setCaption("This panel blank in basic playback mode.");
    lblMonoBlank.setVisible(false);

    // Timing tab.
    on(fraTempo, kTimingTab, 120, 480, 5160, 2175);
    fraTempo.setCaption("Track Tempo");
    in(lblTempo, fraTempo, 120, 360, 720, 255);
    lblTempo.setCaption("Tempo:");
    in(txtTempo, fraTempo, 840, 300, 720, 315);
    in(chkTempoDetect, fraTempo, 1680, 330, 1440, 255);
    chkTempoDetect.setCaption("Auto Detect");
    in(cmdPlay, fraTempo, 120, 780, 495, 375);
    cmdPlay.setToolTipText("Start playing the audio file");
    cmdPlay.setCaption(">");
    in(cmdTempoTapper, fraTempo, 660, 780, 1440, 375);
    cmdTempoTapper.setToolTipText("Tap in the Tempo here or with the space bar");
    cmdTempoTapper.setCaption("Tap");
    cmdTempoTapper.setEnabled(false);  // enabled only while the audio plays for tapping
    in(cmdStop, fraTempo, 2160, 780, 495, 375);
    cmdStop.setToolTipText("Stop playing the audio file");
    cmdStop.setCaption("[]");
    cmdStop.setEnabled(false);
    in(lblBeatCountVal, fraTempo, 120, 1320, 2520, 255);
    lblBeatCountVal.setToolTipText("Counter Display");
    in(MMControl, fraTempo, 2700, 780, 495, 375);
    MMControl.setVisible(false);
    MMControl.setDeviceType("WaveAudio");
    in(gauTempo, fraTempo, 3240, 300, 1800, kGaugeMinHeight);
    DrawGaugeFace(gauTempo);
    in(gauTempoLine, fraTempo, 0, 0, 0, 0);
    gauTempoLine.setEnds(4140, 340, 4140, 900);
    gauTempoLine.setBorderWidth(2);
    gauTempoLine.ZOrder();  // above the dial

    on(fraMeter, kTimingTab, 5400, 480, 3120, 1215);
    fraMeter.setCaption("Meter");
    in(lblTimeNum, fraMeter, 120, 360, 1860, 255);
    lblTimeNum.setCaption("Beats Per Measure:");
    in(txtTimeNum, fraMeter, 1980, 300, 660, 315);
    in(spnTimeNum, fraMeter, 2640, 300, 255, 315);
    spnTimeNum.setMin(0);
    spnTimeNum.setMax(99);
    spnTimeNum.setBuddy(txtTimeNum, true);
    in(lblTimeDenom, fraMeter, 120, 780, 1680, 255);
    lblTimeDenom.setCaption("Beat Value:");
    in(cboTimeDenom, fraMeter, 1980, 720, 915, 315);
    cboTimeDenom.setStyle(ui::ComboBox::DropDownList);
    for (const char* v : {"1", "2", "4", "8", "16", "32"}) cboTimeDenom.AddItem(v);

    on(fraSpeed, kTimingTab, 5400, 1800, 3120, 2415);
    fraSpeed.setCaption("Speed");
    in(lblSpeed, fraSpeed, 120, 360, 720, 255);
    lblSpeed.setCaption("Speed:");
    in(txtSpeed, fraSpeed, 840, 300, 840, 315);
    in(spnSpeed, fraSpeed, 1680, 300, 255, 315);
    spnSpeed.setBuddy(txtSpeed);
    in(cmdSpeedZero, fraSpeed, 120, 1920, 2880, 375);
    cmdSpeedZero.setCaption("Zero Out Speed Change");
    in(lblSpeedSlower, fraSpeed, 120, 1560, 900, 255);
    lblSpeedSlower.setCaption("Slower");
    in(lblSpeedFaster, fraSpeed, 2340, 1560, 660, 255);
    lblSpeedFaster.setCaption("Faster");
    in(gauSpeed, fraSpeed, 1020, 660, 1200, kGaugeMinHeight);
    DrawGaugeFace(gauSpeed);
    in(gauSpeedLine, fraSpeed, 0, 0, 0, 0);
    gauSpeedLine.setEnds(1620, 700, 1620, 1260);
    gauSpeedLine.setBorderWidth(2);
    gauSpeedLine.ZOrder();

    on(lblRes, kTimingTab, 120, 2880, 1800, 255);
    lblRes.setCaption("Timing Resolution:");
    on(cboRes, kTimingTab, 1920, 2820, 3240, 315);
    cboRes.setStyle(ui::ComboBox::DropDownList);
    on(lblChordRes, kTimingTab, 120, 3360, 1800, 255);
    lblChordRes.setCaption("Beats Per Chord:");
    on(cboChordRes, kTimingTab, 1920, 3300, 1200, 315);
    cboChordRes.setStyle(ui::ComboBox::DropDownList);
    on(chkTrackTempo, kTimingTab, 120, 3840, 2400, 255);
    chkTrackTempo.setCaption("Write Tempo Changes");
    on(chkAutoTiming, kTimingTab, 2760, 3840, 2400, 255);
    chkAutoTiming.setCaption("Easy Timing");

    // Dynamics tab.
    on(fraThreshold, kDynamicsTab, 120, 480, 4080, 2415);
    fraThreshold.setCaption("Threshold");
    in(lblWaveThreshold, fraThreshold, 120, 300, 1200, 255);
    lblWaveThreshold.setCaption("Audio");
    in(sldInputThreshold, fraThreshold, 240, 600, 600, 1680);
    sldInputThreshold.setOrientation(1);
    sldInputThreshold.setMin(-32767);  // the input threshold, negated: 1..32767
    sldInputThreshold.setMax(-1);
    in(lblMidiThreshold, fraThreshold, 1560, 300, 1200, 255);
    lblMidiThreshold.setCaption("MIDI");
    in(sldOutputThreshold, fraThreshold, 1680, 600, 600, 1680);
    sldOutputThreshold.setOrientation(1);
    sldOutputThreshold.setMin(-63);
    sldOutputThreshold.setMax(0);
    in(lblHighThreshold, fraThreshold, 2880, 600, 1080, 255);
    lblHighThreshold.setCaption("High");
    in(lblLowThreshold, fraThreshold, 2880, 2040, 1080, 255);
    lblLowThreshold.setCaption("Low");

    on(fraDetect, kDynamicsTab, 4320, 480, 4200, 1455);
    fraDetect.setCaption("Track Input Volume");
    in(chkVelocityOn, fraDetect, 120, 300, 1680, 255);
    chkVelocityOn.setCaption("Note O&n");
    in(chkVelocityOff, fraDetect, 2040, 300, 1680, 255);
    chkVelocityOff.setCaption("Note O&ff");
    in(lblCCVolume, fraDetect, 120, 660, 3000, 255);
    lblCCVolume.setCaption("Assign Volume Changes to:");
    in(cboCCVolume, fraDetect, 120, 960, 3000, 315);
    cboCCVolume.setStyle(ui::ComboBox::DropDownList);

    on(chkAGC, kDynamicsTab, 4440, 2040, 1440, 255);
    chkAGC.setCaption("Compress");
    on(lblVolume, kDynamicsTab, 120, 3060, 1440, 255);
    lblVolume.setCaption("Output Volume");
    on(lblBoost, kDynamicsTab, 1560, 3060, 720, 255);
    lblBoost.setCaption("Boost");
    on(sldGain, kDynamicsTab, 2280, 3000, 3600, 435);
    sldGain.setMin(-400);
    sldGain.setMax(-25);
    on(lblCut, kDynamicsTab, 5880, 3060, 720, 255);
    lblCut.setCaption("Cut");
    // "No Change" is centred under the thumb's place at 100 %, which is not the middle.
    constexpr double kNoChangeWidth = 1200;
    on(lblNoChange, kDynamicsTab, sldGain.Left() + sldGain.valueCentre(-100) - kNoChangeWidth / 2,
       3480, kNoChangeWidth, 255);
    lblNoChange.setAlignment(2);
    lblNoChange.setCaption("No Change");
    on(cmdGainZero, kDynamicsTab, 2280, 3840, 3600, 375);
    cmdGainZero.setCaption("Zero Out Volume Change");
    on(lblBlank, kDynamicsTab, 120, 4440, 6000, 255);
    lblBlank.setCaption("This panel blank in basic mode.");
    lblBlank.setVisible(false);

    // MIDI tab.
    on(fraMidiFile, kMidiTab, 120, 480, 8400, 1215);
    fraMidiFile.setCaption("MIDI File");
    in(lblMidiFile, fraMidiFile, 120, 360, 960, 255);
    lblMidiFile.setCaption("File Name:");
    in(cboMidiFile, fraMidiFile, 1080, 300, 7200, 315);
    cboMidiFile.setStyle(ui::ComboBox::DropDownCombo);
    cboMidiFile.setToolTipText("Click a button to select or edit the MIDI file.");
    in(cmdMidiBrowse, fraMidiFile, 1080, 720, 1755, 375);
    cmdMidiBrowse.setCaption("Select MIDI File");
    in(cmdMidiEdit, fraMidiFile, 2895, 720, 1755, 375);
    cmdMidiEdit.setCaption("Edit MIDI File");
    in(chkAutoName, fraMidiFile, 4800, 780, 1440, 255);
    chkAutoName.setCaption("Auto Name");

    on(fraFilter, kMidiTab, 120, 1800, 8400, 3735);
    fraFilter.setCaption("Instruments in Original Audio");
    in(optFilter(0), fraFilter, 120, 300, 7800, 255);
    optFilter(0).setCaption("I DO NOT know what instruments comprise the original audio");
    in(optFilter(1), fraFilter, 120, 600, 7800, 255);
    optFilter(1).setCaption("I know what instruments comprise the original audio");
    in(lblMidiPatch, fraFilter, 120, 1020, 2760, 255);
    lblMidiPatch.setCaption("Assign to Patch:");
    in(cboMidiPatch, fraFilter, 2880, 960, 3480, 315);
    cboMidiPatch.setStyle(ui::ComboBox::DropDownList);
    in(cmdsndFilter, fraFilter, 6480, 930, 1680, 375);
    cmdsndFilter.setCaption("Play MIDI Patch");
    in(lblChannel, fraFilter, 120, 1500, 2760, 255);
    lblChannel.setCaption("Assign to Channel:");
    in(txtChannel, fraFilter, 2880, 1440, 600, 315);
    in(spnChannel, fraFilter, 3480, 1440, 255, 315);
    spnChannel.setBuddy(txtChannel);
    in(fraEnsDivider, fraFilter, 0, 0, 0, 0);
    fraEnsDivider.setEnds(120, 1980, 8280, 1980);
    in(lblPatchMap, fraFilter, 120, 2220, 2760, 255);
    lblPatchMap.setCaption("Ensemble Name:");
    in(txtPatchMap, fraFilter, 2880, 2160, 3480, 315);
    txtPatchMap.setLocked(true);
    txtPatchMap.setToolTipText("Click a button to select or edit the ensemble.");
    in(cmdPatchMapBrowse, fraFilter, 120, 2640, 1800, 375);
    cmdPatchMapBrowse.setCaption("Select Ensemble");
    cmdPatchMapBrowse.setToolTipText("Select Ensemble");
    in(cmdPatchMapEdit, fraFilter, 2520, 2640, 1800, 375);
    cmdPatchMapEdit.setCaption("Edit Ensemble");
    in(cmdDrumKitEdit, fraFilter, 1320, 2640, 1800, 375);
    cmdDrumKitEdit.setCaption("Edit Drum Kit");
    cmdDrumKitEdit.setVisible(false);

    // Below the tabs.
    cmdOK.Move(4200, 6030, 1080, 375);
    cmdOK.setCaption("OK");
    cmdOK.setDefault(true);
    cmdCancel.Move(5400, 6030, 1080, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdApply.Move(6600, 6030, 1080, 375);
    cmdApply.setCaption("&Apply");
    cmdHelp.Move(7800, 6030, 1080, 375);
    cmdHelp.setCaption("&Help");
}

}  // namespace velt::desk

#include "desk/core/options/frm_customize.h"

#include <filesystem>
#include <memory>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/audio_input.h"
#include "desk/core/shared/button_pictures.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/test_note.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "platform/midi_out/midi_out.h"
#include "platform/shell/shell.h"

namespace velt::desk {

namespace {

constexpr const char* kProgramFilter =
    "Program Files (*.exe; *.com; *.bat; *.pif)|*.exe;*.com;*.bat;*.pif|All Files (*.*)|*.*";

int selectedIndex(ui::ControlArray<ui::OptionButton>& pair, int fallback) {
    for (int i : pair.indexes())
        if (pair(i).Value()) return i;
    return fallback;
}

}  // namespace

frmCustomize::frmCustomize() : Form("frmCustomize") {
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    cmdsndTest.Click = [this] { cmdsndTest_Click(); };
    cmdDevice.Click = [this] { cmdDevice_Click(); };
    cmdWave.Click = [this] { cmdWave_Click(); };
    cmdMidi.Click = [this] { cmdMidi_Click(); };
    cmdCDPlayer.Click = [this] { cmdCDPlayer_Click(); };
    cmdMixer.Click = [this] { cmdMixer_Click(); };
    cboWaveDevice.Click = [this] { cboWaveDevice_Click(); };
    cboMidiDevice.Click = [this] { edited(); };
    chkPlayEdit.Click = [this] { edited(); };
    chkTranscribe.Click = [this] { edited(); };
    chkAutoPlay.Click = [this] { edited(); };
    optUserLevel.on(&ui::OptionButton::Click, [this](int) { edited(); });
    optBritish.on(&ui::OptionButton::Click, [this](int) { edited(); });
    for (ui::Slider* s : {&sldDur, &sldVel}) {
        s->Scroll = [this] { edited(); };
        s->Change = [this] { edited(); };
    }
    tmrLevel.Tick = [this] { tmrLevel_Timer(); };
    tmrMidi.Tick = [this] { tmrMidi_Timer(); };
    wirePathBox(txtWave, "Audio Editor", help_topic::AudioEditorPath);
    wirePathBox(txtMidi, "MIDI Editor", help_topic::MidiEditorPath);
    wirePathBox(txtCDPlayer, "CD Player", help_topic::CdPlayerPath);
    wirePathBox(txtMixer, "Mixer", help_topic::MixerPath);
}

void frmCustomize::design() {
    setCaption("Options");
    Move(0, 0, 9000, 5400);
    setHelpContextID(help_topic::OptionsWindow);

    fraApps.Move(120, 120, 4560, 1935);
    fraApps.setCaption("Linked Applications");
    fraApps.setHelpContextID(help_topic::OptionsLinkedApplications);
    struct PathRow {
        ui::Label& label;
        ui::TextBox& box;
        ui::CommandButton& button;
        const char* caption;
        const char* tip;
    } rows[] = {{lblWave, txtWave, cmdWave, "Audio:", "Locate Audio Application"},
                {lblMidi, txtMidi, cmdMidi, "MIDI:", "Locate MIDI Application"},
                {lblCDPlayer, txtCDPlayer, cmdCDPlayer, "CD:", "Locate CD Application"},
                {lblMixer, txtMixer, cmdMixer, "Mixer:", "Locate Mixer Application"}};
    double top = 300;
    for (PathRow& row : rows) {
        for (ui::Control* c :
             {static_cast<ui::Control*>(&row.label), static_cast<ui::Control*>(&row.box),
              static_cast<ui::Control*>(&row.button)})
            c->setContainer(fraApps);
        row.label.Move(120, top + 45, 660, 255);
        row.label.setCaption(row.caption);
        row.box.Move(780, top, 3180, 315);
        row.button.Move(4020, top, 420, 315);
        row.button.setCaption("...");
        row.button.setToolTipText(row.tip);
        top += 390;
    }

    lblWaveDevice.Move(120, 2160, 2040, 255);
    lblWaveDevice.setCaption("Live Audio Device:");
    lblWaveDevice.setHelpContextID(help_topic::OptionsLiveAudioDevice);
    cboWaveDevice.Move(120, 2430, 3480, 315);
    cboWaveDevice.setStyle(ui::ComboBox::DropDownList);
    cboWaveDevice.setHelpContextID(help_topic::OptionsLiveAudioDevice);
    shpAudio.Move(3660, 2490, 195, 195);
    shpAudio.setShape(3);
    shpAudio.setFillStyle(0);
    shpAudio.setFillColor(kWaiting);
    shpAudio.setVisible(false);
    cmdDevice.Move(3960, 2430, 420, 315);
    cmdDevice.setPicture(RecordingDeviceButtonPicture());
    cmdDevice.setToolTipText("Set Default Audio Recording Device");
    cmdDevice.setHelpContextID(help_topic::OptionsRecordingDevice);
    lblWait.Move(2280, 2160, 1320, 255);
    lblWait.setCaption("Please wait...");
    lblWait.setVisible(false);

    lblMidiDevice.Move(120, 2850, 2400, 255);
    lblMidiDevice.setCaption("MIDI Device:");
    lblMidiDevice.setHelpContextID(help_topic::OptionsMidiDevice);
    cboMidiDevice.Move(120, 3120, 3480, 315);
    cboMidiDevice.setStyle(ui::ComboBox::DropDownList);
    cboMidiDevice.setHelpContextID(help_topic::OptionsMidiDevice);
    cmdsndTest.Move(3960, 3120, 420, 315);
    cmdsndTest.setCaption("♪");
    cmdsndTest.setToolTipText("Test MIDI Device");
    cmdsndTest.setHelpContextID(help_topic::OptionsMidiDevice);
    cmdsndTest.setEnabled(false);

    fraSpeaker.Move(120, 3600, 4560, 1215);
    fraSpeaker.setCaption("Speaker Button Settings");
    fraSpeaker.setHelpContextID(help_topic::OptionsSpeakerButtons);
    struct SliderRow {
        ui::Label& name;
        ui::Label& low;
        ui::Slider& slider;
        ui::Label& high;
        const char* caption;
        const char* lowText;
        const char* highText;
        int min, max;
    } sliders[] = {{lblDuration, lblShort, sldDur, lblLong, "Duration", "Short", "Long", 250, 1250},
                   {lblVolume, lblSoft, sldVel, lblLoud, "Volume", "Soft", "Loud", 1, 127}};
    top = 300;
    for (SliderRow& row : sliders) {
        for (ui::Control* c :
             {static_cast<ui::Control*>(&row.name), static_cast<ui::Control*>(&row.low),
              static_cast<ui::Control*>(&row.slider), static_cast<ui::Control*>(&row.high)})
            c->setContainer(fraSpeaker);
        row.name.Move(120, top + 60, 900, 255);
        row.name.setCaption(row.caption);
        row.low.Move(1020, top + 60, 540, 255);
        row.low.setCaption(row.lowText);
        row.slider.Move(1560, top, 2280, 375);
        row.slider.setMin(row.min);
        row.slider.setMax(row.max);
        row.high.Move(3900, top + 60, 540, 255);
        row.high.setCaption(row.highText);
        top += 420;
    }
    sldDur.setSmallChange(50);
    sldDur.setLargeChange(250);
    sldVel.setLargeChange(16);

    fraUsage.Move(4800, 120, 4080, 1335);
    fraUsage.setCaption("MIDI File Usage");
    fraUsage.setHelpContextID(help_topic::OptionsMidiFileUsage);
    chkPlayEdit.setContainer(fraUsage);
    chkPlayEdit.Move(120, 300, 2400, 255);
    chkPlayEdit.setCaption("&Playback");
    chkTranscribe.setContainer(fraUsage);
    chkTranscribe.Move(120, 600, 2400, 255);
    chkTranscribe.setCaption("No&tate");
    chkAutoPlay.setContainer(fraUsage);
    chkAutoPlay.Move(120, 900, 3840, 255);
    chkAutoPlay.setCaption("Auto S&yncPlay following recognition");
    chkAutoPlay.setHelpContextID(help_topic::OptionsPlayAutomatically);

    fraUserLevel.Move(4800, 1575, 4080, 975);
    fraUserLevel.setCaption("User Level");
    fraUserLevel.setHelpContextID(help_topic::OptionsUserLevel);
    const char* levels[] = {"&Basic", "A&dvanced"};
    const char* styles[] = {"A&merican", "B&ritish"};
    for (int i = 0; i < 2; ++i) {
        optUserLevel(i).setContainer(fraUserLevel);
        optUserLevel(i).Move(120, 300 + 300 * i, 2400, 255);
        optUserLevel(i).setCaption(levels[i]);
    }
    fraNoteValues.Move(4800, 2670, 4080, 975);
    fraNoteValues.setCaption("Note Values");
    for (int i = 0; i < 2; ++i) {
        optBritish(i).setContainer(fraNoteValues);
        optBritish(i).Move(120, 300 + 300 * i, 2400, 255);
        optBritish(i).setCaption(styles[i]);
    }

    struct ButtonRow {
        ui::CommandButton& button;
        const char* caption;
        long help;
    } buttons[] = {{cmdOK, "&OK", help_topic::OptionsOkButton},
                   {cmdCancel, "&Cancel", help_topic::OptionsCancelButton},
                   {cmdApply, "&Apply", help_topic::OptionsApplyButton},
                   {cmdHelp, "&Help", help_topic::OptionsHelpButton}};
    double left = 3960;
    for (ButtonRow& b : buttons) {
        b.button.Move(left, 4920, 1140, 375);
        b.button.setCaption(b.caption);
        b.button.setHelpContextID(b.help);
        left += 1260;
    }
    cmdOK.setDefault(true);
    cmdCancel.setCancel(true);

    tmrLevel.setInterval(1);
    tmrLevel.setEnabled(false);
    tmrMidi.setEnabled(false);
    cdlFile.setFilter(kProgramFilter);
}

void frmCustomize::Form_Load() {
    Global& g = G();
    meterTried_ = false;
    txtCDPlayer.setText(g.CDPlayer);
    txtMixer.setText(g.Mixer);
    txtWave.setText(g.AudioEditor);
    txtMidi.setText(g.MidiEditor);

    optUserLevel(g.UserLevel).setValue(true);
    optBritish(g.NoteValue).setValue(true);
    chkPlayEdit.setValue(g.PlayEdit < 0 ? -g.PlayEdit : g.PlayEdit);
    chkTranscribe.setValue(g.Transcribe < 0 ? -g.Transcribe : g.Transcribe);
    chkAutoPlay.setValue(g.AutoPlay < 0 ? -g.AutoPlay : g.AutoPlay);
    sldDur.setValue(g.Duration);
    sldVel.setValue(g.Velocity);

    // Capture devices, in the platform's order, up to the first that does not answer.
    std::string name;
    for (int32_t i = 0; Audio().deviceName(i, name); ++i) cboWaveDevice.AddItem(name);
    if (g.AudioDevice < cboWaveDevice.ListCount())
        cboWaveDevice.setListIndex(g.AudioDevice);
    else if (cboWaveDevice.ListCount() > 0)
        cboWaveDevice.setListIndex(0);
    if (cboWaveDevice.ListCount() > 0) {
        shpAudio.setVisible(true);
        // Selecting an entry has started the meter already; a second open of the same device
        // would only repeat its outcome (and any error box).
        if (!meterTried_) {
            shpAudio.setFillColor(kWaiting);
            lblWait.setVisible(true);
            OpenLevelMeter();
        }
    }

    const int32_t midiCount = platform::midi_out::deviceCount();
    for (int32_t i = 0; i < midiCount; ++i)
        cboMidiDevice.AddItem(platform::midi_out::deviceName(i));
    if (g.MidiDevice < cboMidiDevice.ListCount())
        cboMidiDevice.setListIndex(g.MidiDevice);
    else if (cboMidiDevice.ListCount() > 0)
        cboMidiDevice.setListIndex(0);
    cmdsndTest.setEnabled(cboMidiDevice.ListCount() > 0);

    cmdApply.setEnabled(false);
}

void frmCustomize::Form_Unload(int& Cancel) {
    (void)Cancel;
    CloseLevelMeter();
    // A test note still sounding is ended here: its timer dies with the window, and the port
    // would otherwise stay open with the note held.
    if (tmrMidi.Enabled()) tmrMidi_Timer();
}

void frmCustomize::cmdApply_Click() {
    Global& g = G();
    g.CDPlayer = txtCDPlayer.Text();
    g.Mixer = txtMixer.Text();
    g.AudioEditor = txtWave.Text();
    g.MidiEditor = txtMidi.Text();
    SetDefaultToolPaths();
    g.UserLevel = selectedIndex(optUserLevel, g.UserLevel);
    g.NoteValue = selectedIndex(optBritish, g.NoteValue);
    g.PlayEdit = chkPlayEdit.Value();
    g.Transcribe = chkTranscribe.Value();
    g.AutoPlay = chkAutoPlay.Value();
    g.Duration = sldDur.Value();
    g.Velocity = sldVel.Value();
    g.AudioDevice = cboWaveDevice.ListIndex();
    g.MidiDevice = cboMidiDevice.ListIndex();
    cmdApply.setEnabled(false);
}

void frmCustomize::cmdOK_Click() {
    if (cmdApply.Enabled()) cmdApply_Click();
    unload();
}

void frmCustomize::cmdCancel_Click() {
    unload();
}

void frmCustomize::cmdHelp_Click() {
    ShowHelpTopic(help_topic::OptionsWindow);
}

void frmCustomize::cmdDevice_Click() {
    OpenSoundControlPanel();
}

void frmCustomize::wirePathBox(ui::TextBox& box, const std::string& kind, long help) {
    // What the box held when the focus came: a box only passed through says nothing, whatever
    // it holds (a stored path, or a default program named without its folder).
    auto onEntry = std::make_shared<std::string>();
    box.GotFocus = [&box, onEntry] {
        *onEntry = box.Text();
        box.setSelStart(0);
        box.setSelLength(static_cast<int>(box.Text().size()));
    };
    box.KeyPress = [](int& KeyAscii) {
        if (KeyAscii == '"') KeyAscii = 0;
    };
    box.Change = [this] { edited(); };
    box.LostFocus = [&box, kind, help, onEntry] {
        box.setText(StripQuotes(box.Text()));
        const std::string& text = box.Text();
        if (text == *onEntry) return;
        std::error_code ec;
        // An empty box asks for the default program, which Apply fills in; a name without a
        // folder is a program found on PATH.
        if (text.empty() || std::filesystem::is_regular_file(text, ec)) return;
        if (text.find('/') == std::string::npos && !platform::FindProgram(text).empty()) return;
        ShowMessage("The " + kind + " file '" + text + "' does not exist.", ui::Exclamation,
                    "Customize", help);
    };
}

void frmCustomize::browse(const std::string& title, const std::string& option, ui::TextBox& box) {
    cdlFile.setDialogTitle(title);
    if (!option.empty()) {
        const std::string folder = FolderOf(option);
        cdlFile.setInitDir(folder);
        cdlFile.setFileName(option.substr(folder.size()));
    } else {
        cdlFile.setInitDir(G().InstallFolder);
        cdlFile.setFileName("");
    }
    cdlFile.setFlags(ui::CommonDialog::FileMustExist | ui::CommonDialog::HideReadOnly);
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    box.setText(cdlFile.FileName());
    cmdApply.setEnabled(true);
}

void frmCustomize::cmdWave_Click() {
    browse("Select Audio File Editor", G().AudioEditor, txtWave);
}

void frmCustomize::cmdMidi_Click() {
    browse("Select MIDI Editor", G().MidiEditor, txtMidi);
}

void frmCustomize::cmdCDPlayer_Click() {
    browse("Select CD Player", G().CDPlayer, txtCDPlayer);
}

void frmCustomize::cmdMixer_Click() {
    browse("Select Mixer", G().Mixer, txtMixer);
}

void frmCustomize::cmdsndTest_Click() {
    Global& g = G();
    tmrMidi_Timer();
    if (OpenTestTonePort(cboMidiDevice.ListIndex()) != 0) {
        ShowMessage(testNoteError(g.MidiResult), ui::Exclamation, "Test MIDI",
                    help_topic::MidiAndAudioDeviceErrors);
        return;
    }
    SendTestTone(0, 0, {60}, sldVel.Value());
    tmrMidi.setInterval(sldDur.Value());
    tmrMidi.setEnabled(true);
}

void frmCustomize::tmrMidi_Timer() {
    tmrMidi.setEnabled(false);
    EndTestTone();
}

void frmCustomize::OpenLevelMeter() {
    meterTried_ = true;
    if (!Audio().meterAvailable()) {
        ShowMessage("Unable to monitor recording level.", ui::Exclamation,
                    "Audio Device Test Error", help_topic::LevelMeter);
        shpAudio.setFillColor(kFailed);
        lblWait.setVisible(false);
        return;
    }
    const int32_t r = Audio().meterOpen(cboWaveDevice.ListIndex());
    if (r != 0) {
        ShowMessage("ERROR " + std::to_string(r) + ": Unable to open audio device.", ui::Critical,
                    "Audio Device Test Error", help_topic::DeviceAndFileErrors);
        shpAudio.setFillColor(kFailed);
        lblWait.setVisible(false);
        return;
    }
    shpAudio.setFillColor(kWaiting);
    lblWait.setVisible(true);
    tmrLevel.setEnabled(true);
}

void frmCustomize::CloseLevelMeter() {
    if (!tmrLevel.Enabled()) return;
    tmrLevel.setEnabled(false);
    Audio().meterClose();
    shpAudio.setFillColor(kWaiting);
    lblWait.setVisible(true);
}

void frmCustomize::cboWaveDevice_Click() {
    edited();
    CloseLevelMeter();
    OpenLevelMeter();
}

void frmCustomize::tmrLevel_Timer() {
    const int32_t level = Audio().meterLevel();
    shpAudio.setFillColor(level < G().InputThreshold ? kQuiet : kSignal);
    lblWait.setVisible(false);
}

}  // namespace velt::desk

#include "demo_form.h"

namespace velt::ui::demo {

frmDemo::frmDemo() : Form("frmDemo") {
    auto wire = [this](Event<>& event, const std::string& name) {
        event = [this, name] { hook(name); };
    };
    wire(mnuFileOpen.Click, "mnuFileOpen_Click");
    wire(mnuFile.Click, "mnuFile_Click");
    mnuFileArray.on(&MenuItem::Click, [this](int) { hook("mnuFileArray_Click"); });
    tbTools.ButtonClick = [this](ToolbarButton& b) { hook("tbTools_ButtonClick_" + b.Key()); };
    wire(txtName.Change, "txtName_Change");
    wire(txtName.GotFocus, "txtName_GotFocus");
    wire(txtName.LostFocus, "txtName_LostFocus");
    txtName.KeyPress = [this](int& k) {
        if (txtName_KeyPressHook) txtName_KeyPressHook(k);
    };
    wire(txtTempo.Change, "txtTempo_Change");
    wire(txtTempo.LostFocus, "txtTempo_LostFocus");
    wire(spnTempo.UpClick, "spnTempo_UpClick");
    wire(spnTempo.DownClick, "spnTempo_DownClick");
    wire(txtStartPoint.Change, "txtStartPoint_Change");
    wire(chkDrums.Click, "chkDrums_Click");
    optMode.on(&OptionButton::Click,
               [this](int Index) { hook("optMode_Click" + std::to_string(Index)); });
    wire(cboKey.Click, "cboKey_Click");
    wire(cboAudioFile.Click, "cboAudioFile_Click");
    wire(cboAudioFile.Change, "cboAudioFile_Change");
    wire(lstParts.Click, "lstParts_Click");
    wire(sldRange.Scroll, "sldRange_Scroll");
    wire(sldRange.Change, "sldRange_Change");
    sldRange.MouseDown = [this](int, int, double, double) { hook("sldRange_MouseDown"); };
    wire(scrGrid.Change, "scrGrid_Change");
    tabPages.Click = [this](int) { hook("tabPages_Click"); };
    wire(cmdOK.Click, "cmdOK_Click");
    wire(cmdCancel.Click, "cmdCancel_Click");
    wire(cmdApply.Click, "cmdApply_Click");
    wire(cmdApply.GotFocus, "cmdApply_GotFocus");
    wire(tmrStatus.Tick, "tmrStatus_Timer");
}

void frmDemo::design() {
    setCaption("Demo Project");
    Move(1200, 1200, 8400, 6600);
    for (const char* name : {"new", "open", "save"}) {
        QImage icon(16, 16, QImage::Format_RGB32);
        icon.fill(QColor(name[0] == 'n' ? "#3a7" : name[0] == 'o' ? "#37a" : "#a73"));
        imgTools.Add(name, Picture(icon));
    }
    tbTools.setImageList(imgTools);
    tbTools.AddButton("New", ToolbarButton::Default, "New project", 1);
    tbTools.AddButton("Open", ToolbarButton::Default, "Open project", 2);
    tbTools.AddButton("", ToolbarButton::Separator);
    tbTools.AddButton("Save", ToolbarButton::Default, "Save project", 3);

    mnuFile.setCaption("&File");
    mnuFileOpen.setCaption("&Open...");
    mnuFileOpen.setShortcut("Ctrl+O");
    mnuFileArray(0).setCaption("-");
    mnuFileArray(1).setCaption("&1 /music/first.vpr");
    mnuFileArray(2).setCaption("&2 /music/second.vpr");
    mnuFileArray(2).setVisible(false);
    mnuFileExit.setCaption("E&xit");

    lblName.Move(240, 600, 1200, 255);
    lblName.setCaption("&Name:");
    txtName.Move(1440, 570, 2400, 315);
    txtName.setTabIndex(0);
    lblTempo.Move(240, 1020, 1200, 255);
    lblTempo.setCaption("Tempo:");
    txtTempo.Move(1440, 990, 900, 315);
    txtTempo.setTabIndex(1);
    txtTempo.setText("120");
    spnTempo.Move(2340, 990, 240, 315);
    spnTempo.setMin(20);
    spnTempo.setMax(300);
    spnTempo.setValue(120);
    spnTempo.setBuddy(txtTempo, true);
    lblStart.Move(240, 1440, 1200, 255);
    lblStart.setCaption("Start &Time:");
    lblStart.setTabIndex(2);
    txtStartPoint.Move(1440, 1410, 1200, 315);
    txtStartPoint.setMask("##:##:##");
    txtStartPoint.setTabIndex(2);
    chkDrums.Move(240, 1860, 2400, 315);
    chkDrums.setCaption("&Drums");
    chkDrums.setTabIndex(3);

    fraMode.Move(4200, 480, 3840, 1320);
    fraMode.setCaption("Mode");
    const char* modes[] = {"&Single instrument", "&Ensemble", "Drum &kit"};
    for (int i = 0; i < 3; ++i) {
        optMode(i).setContainer(fraMode);
        optMode(i).Move(240, 300 + i * 315, 3300, 285);
        optMode(i).setCaption(modes[i]);
        optMode(i).setTabIndex(4 + i);
    }
    optMode(0).setValue(true);

    cboKey.Move(240, 2340, 2400, 315);
    cboKey.setStyle(ComboBox::DropDownList);
    for (const char* k :
         {"C major", "G major (1 sharp)", "D major (2 sharps)", "F major (1 flat)"}) {
        cboKey.AddItem(k);
    }
    cboKey.setListIndex(0);
    cboKey.setTabIndex(7);
    cboAudioFile.Move(240, 2760, 3600, 315);
    cboAudioFile.AddItem("/music/take1.wav");
    cboAudioFile.AddItem("/music/take2.wav");
    cboAudioFile.setTabIndex(8);

    lstParts.Move(4200, 1920, 1800, 1125);
    for (const char* p : {"Piano", "Bass", "Strings", "Drums"}) lstParts.AddItem(p);
    lstParts.setTabIndex(9);

    sldRange.Move(240, 3240, 3600, 450);
    sldRange.setMax(127);
    sldRange.setSelStart(36);
    sldRange.setSelLength(48);
    sldRange.setValue(60);
    sldRange.setTabIndex(10);
    scrGrid.Move(6120, 1920, 255, 1125);
    scrGrid.setMax(16);
    scrGrid.setTabIndex(11);

    picCoverage.Move(240, 3840, 3600, 450);
    picCoverage.setBackColor(RGB(255, 255, 255));
    for (int n = 36; n < 84; ++n) {
        picCoverage.Line(n * 3600.0 / 127, 0, (n + 1) * 3600.0 / 127, 450,
                         n % 12 == 0 ? RGB(200, 40, 40) : RGB(60, 120, 200), PictureBox::FilledBox);
    }
    shpLight.Move(4200, 3840, 450, 450);
    shpLight.setShape(3);
    shpLight.setFillStyle(0);
    shpLight.setFillColor(RGB(0, 200, 0));
    linNeedle.setEnds(4800, 4290, 5400, 3840);
    linNeedle.setBorderWidth(2);

    tabPages.Move(6480, 1920, 1800, 2370);
    tabPages.setTabs(2);
    tabPages.setTabCaption(0, "Audio");
    tabPages.setTabCaption(1, "MIDI");
    tabPages.setTabIndex(12);
    txtPage0.setContainer(tabPages, 0);
    txtPage0.Move(120, 600, 1500, 315);
    txtPage0.setText("page 0");
    txtPage0.setTabIndex(13);
    txtPage1.setContainer(tabPages, 1);
    txtPage1.Move(120, 600, 1500, 315);
    txtPage1.setText("page 1");
    txtPage1.setTabIndex(14);

    prgDone.Move(240, 4440, 7800, 255);
    prgDone.setValue(42);

    cmdOK.Move(3960, 4920, 1215, 375);
    cmdOK.setCaption("&OK");
    cmdOK.setDefault(true);
    cmdOK.setTabIndex(15);
    cmdCancel.Move(5280, 4920, 1215, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdCancel.setTabIndex(16);
    cmdApply.Move(6600, 4920, 1215, 375);
    cmdApply.setCaption("&Apply");
    cmdApply.setTabIndex(17);
    cmdApply.setHelpContextID(32);

    cdlFile.setDialogTitle("Select Audio File");
    tmrStatus.setInterval(500);
    tmrStatus.setEnabled(false);
    sbStatus.setText("Ready");
    setHelpContextID(33);
}

}  // namespace velt::ui::demo

// The field and layout rules that the load already shows: tempo, speed and tuning as they are
// typed, the key list, the stereo options, the instrument list with its ranges from
// "filter.txt", and the instruments-or-drums layouts.
#include "desk/instruments/frm_ens.h"
#include "settings_fixture.h"

namespace velt::desk {
namespace {

using test_boxes::Box;

using SettingsHandlers = SettingsTest;

TEST_F(SettingsHandlers, TypedNumbersAreHeldAndShownAsTheDialogWrites) {
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    struct Case {
        ui::TextBox* box;
        int tab;
        const char* typed;
        const char* shown;  // after leaving the box; an emptied box gets back its text on focus
    } cases[] = {
        {&f.txtTempo, 2, "2", "5"},
        {&f.txtTempo, 2, "90", "90"},
        {&f.txtTempo, 2, "2000", "1080"},
        {&f.txtTempo, 2, "\b", "1080"},
        {&f.txtSpeed, 2, "1", "25%"},
        {&f.txtSpeed, 2, "x", "25%"},
        {&f.txtReferencePitch, 0, "30", "+30"},
        {&f.txtReferencePitch, 0, "-75", "-50"},
        {&f.txtReferencePitch, 0, "60", "+50"},
        {&f.txtOctaves, 1, "-12", "-10"},
        {&f.txtOctaves, 1, "\b", "-10"},
        {&f.txtPitchMode, 1, "500", "128"},
        {&f.txtTimeNum, 2, "0", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.box->Name()) + " " + c.typed);
        u.selectTab(f.tabProperties, c.tab);
        u.type(*c.box, c.typed);
        u.key(*c.box, ui::Key::Tab);
        EXPECT_EQ(c.box->Text(), c.shown);
    }
    EXPECT_EQ(f.WorkTempo, 1080.0f);  // an emptied box got back the text it had on focus
}

TEST_F(SettingsHandlers, TimeAndPitchRanges) {
    G().EntireAudio = 0;
    G().KeyMax = 120;
    frmProperties& f = dialog();
    // Three minutes of audio.
    f.GetWaveInfo(sox("three minutes.wav", "-r 8000 -c 1 -b 8", "synth 180.02 sine 440 vol 0.5"));
    EXPECT_EQ(f.AudioSeconds, 180);
    EXPECT_EQ(f.WorkKeyMax, 107);  // half of 8000 Hz lies at note 107
    EXPECT_EQ(f.txtKeyMax.Text(), "B8");

    struct Time {
        ui::MaskedBox* box;
        const char* typed;
        const char* start;
        const char* end;
        int selStart, selLength;
    } times[] = {
        {&f.txtEndPoint, "00:59:59", "00:00:00", "00:03:00", 0, 180},
        {&f.txtStartPoint, "00:01:00", "00:01:00", "00:03:00", 60, 120},
        {&f.txtStartPoint, "00:03:30", "00:03:00", "00:03:00", 180, 0},
        {&f.txtEndPoint, "00:02:00", "00:03:00", "00:03:00", 180, 0},
    };
    for (const Time& t : times) {
        SCOPED_TRACE(t.typed);
        t.box->setText(t.typed);
        if (t.box == &f.txtStartPoint)
            f.txtStartPoint_LostFocus();
        else
            f.txtEndPoint_LostFocus();
        EXPECT_EQ(f.txtStartPoint.Text(), t.start);
        EXPECT_EQ(f.txtEndPoint.Text(), t.end);
        EXPECT_EQ(f.sldTimeRange.SelStart(), t.selStart);
        EXPECT_EQ(f.sldTimeRange.SelLength(), t.selLength);
    }
    ui.expectBox(Box("Invalid Start Time format.", "Project", 48, 93)).answer(ui::OK);
    f.txtStartPoint.setText("00:61:00");
    f.txtStartPoint_LostFocus();
    EXPECT_EQ(f.WorkStart, -1.0f);
    ui.expectBox(Box("Invalid End Time format.", "Project", 48, 94)).answer(ui::OK);
    f.txtEndPoint.setText("00:00:60");
    f.txtEndPoint_LostFocus();

    ui.expectBox(Box("Invalid High Note.", "Project", 48, 96)).answer(ui::OK);
    f.txtKeyMax.setText("H5");
    f.txtKeyMax_LostFocus();
    f.txtKeyMax.setText("c9");  // above the top note: held to it
    f.txtKeyMax_LostFocus();
    EXPECT_EQ(f.WorkKeyMax, 107);
    EXPECT_EQ(f.txtKeyMax.Text(), "B8");
    ui.expectBox(Box("Invalid Low Note.", "Project", 48, 95)).answer(ui::OK);
    f.txtKeyMin.setText("C#");
    f.txtKeyMin_LostFocus();

    // Releasing the note slider past the other end makes both ends meet.
    f.sldNoteRange.setValue(-110);  // the right button sets the low note, above the high one
    f.sldNoteRange_MouseUp(2, 0, 0, 0);
    EXPECT_EQ(f.WorkKeyMin, 107);
    EXPECT_EQ(f.WorkKeyMax, 107);
    EXPECT_EQ(f.sldNoteRange.SelLength(), 0);
    f.WorkKeyMin = 40;
    f.sldNoteRange.setValue(-30);  // the left button sets the high note, below the low one
    f.sldNoteRange_MouseUp(1, 0, 0, 0);
    EXPECT_EQ(f.WorkKeyMax, 40);  // the high note comes down to the low one
    EXPECT_EQ(f.WorkKeyMin, 40);
}

TEST_F(SettingsHandlers, KeyStereoAndInstrumentLayouts) {
    installData();
    test::writeFile(dir / "install" / "filter.txt",
                    "0 - Acoustic Grand Piano,21,108,10\n25 - Steel Guitar,40,88,6\n"
                    "26 - Jazz Guitar,0,0,0\n27 - Clean Guitar,20,60,2\n");
    Global& g = G();
    g.MidiPat = 25;
    g.Filter = 0;
    frmProperties& f = dialog();

    f.cboKey.setListIndex(3);
    f.chkConstrain.setValue(1);
    f.cboKey.setListIndex(0);
    EXPECT_EQ(f.chkConstrain.Value(), 0);
    EXPECT_FALSE(f.chkConstrain.Enabled());
    EXPECT_FALSE(f.optMajorMinor(0).Enabled());
    EXPECT_FALSE(f.cmdsndKey.Enabled());

    f.optStereo(1).setValue(true);
    EXPECT_FALSE(f.sldStereoPan.Enabled());
    EXPECT_FALSE(f.cmdStereoPanZero.Enabled());
    f.optStereo(0).setValue(true);
    EXPECT_TRUE(f.sldStereoPan.Enabled());

    // The instrument's typical range and polyphony, after asking.
    struct Range {
        int row;
        int32_t low, high;
        const char* poly;
    } ranges[] = {{1, 40, 85, "6"}, {2, 28, 85, "30"}, {3, 28, 60, "2"}};
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.row);
        ui.expectBox(
              {.textStartsWith = std::string("Veltrane can automatically set the pitch range"),
               .title = std::string("Edit Project")})
            .answer(ui::Yes);
        f.cboMidiPatch.setListIndex(r.row);
        EXPECT_EQ(f.WorkKeyMin, r.low);
        EXPECT_EQ(f.WorkKeyMax, r.high);
        EXPECT_EQ(f.txtPitchMode.Text(), r.poly);
    }
    ui.expectBox({.textStartsWith = std::string("Veltrane can automatically")}).answer(ui::No);
    f.cboMidiPatch.setListIndex(1);
    EXPECT_EQ(f.WorkPatch, 25);
    EXPECT_EQ(f.WorkKeyMax, 60);  // unchanged

    // Drums: channel 10, output threshold 10, drum captions and the basic kit.
    f.optBeatDetect(1).setValue(true);
    EXPECT_EQ(f.txtChannel.Text(), "10");
    EXPECT_EQ(f.sldOutputThreshold.Value(), -10);
    EXPECT_EQ(f.fraFilter.Caption(), "Drums in Original Audio");
    EXPECT_EQ(f.lblPatchMap.Caption(), "Drum Kit Name:");
    EXPECT_EQ(f.txtPatchMap.Text(), "Basic Kit");
    EXPECT_TRUE(f.cmdDrumKitEdit.Visible());
    EXPECT_FALSE(f.cmdPatchMapEdit.Visible());
    EXPECT_FALSE(f.txtPitchMode.Enabled());
    f.optFilter(0).setValue(true);
    EXPECT_EQ(f.lblMidiPatch.Caption(), "Assign to Percussion:");
    EXPECT_FALSE(f.txtPatchMap.Enabled());
    f.optBeatDetect(0).setValue(true);
    EXPECT_EQ(f.txtChannel.Text(), "1");
    EXPECT_EQ(f.txtPatchMap.Text(), "Example - Piano and Organ");
    EXPECT_TRUE(f.cmdApply.Enabled());
}

TEST_F(SettingsHandlers, ChoosingAndEditingAnEnsemble) {
    installData();
    Global& g = G();
    g.Filter = 0;
    g.MidiPat = 0;
    frmProperties& f = dialog();
    const std::string example =
        (dir / "install" / "Ensembles" / "Example - Piano and Organ.ens").string();
    std::filesystem::copy_file(example, dir / "Full Orchestra.ens");

    // The big ensemble is confirmed first; No changes nothing.
    g.EnsembleFolder = dir.path().string() + "/";
    ui.expectFileDialog({.title = "Select Ensemble",
                         .filter = "Ensembles (*.ens;*.vpm)|*.ens;*.vpm|All Files (*.*)|*.*",
                         .fileName = "Example - Piano and Organ.ens"})
        .choose((dir / "Full Orchestra.ens").string());
    ui.expectBox({.textStartsWith = std::string("The Full Orchestra ensemble contains many"),
                  .title = std::string("Project Editor"),
                  .icon = 48})
        .answer(ui::No);
    f.cmdPatchMapBrowse_Click();
    EXPECT_EQ(f.txtPatchMap.Text(), "Example - Piano and Organ");

    // A chosen ensemble is loaded and opened in the editor; two active rows leave the patch list
    // to the ensemble.
    ui.expectFileDialog({.title = "Select Ensemble"}).choose(example);
    ui.onModal<frmEns>([](frmEns& e, ui::test::User& u) {
        e.cmdApply_Click();
        u.click(e.cmdCancel);
    });
    f.cmdPatchMapBrowse_Click();
    EXPECT_EQ(f.txtPatchMap.Text(), "Example - Piano and Organ");
    EXPECT_EQ(g.EnsembleFolder, (dir / "install" / "Ensembles").string() + "/");
    EXPECT_TRUE(g.EnsembleApplied);
    EXPECT_FALSE(f.cboMidiPatch.Enabled());
    EXPECT_FALSE(f.cmdsndFilter.Enabled());
    EXPECT_TRUE(f.cmdApply.Enabled());

    // One active row: its patch is selected in the list.
    ui.onModal<frmEns>([](frmEns& e, ui::test::User& u) {
        u.click(e.chkActive(0));  // only the organ stays active
        u.click(e.cmdOK);
    });
    ui.expectBox({.textStartsWith = std::string("Veltrane can automatically")}).answer(ui::No);
    f.cmdPatchMapEdit_Click();
    EXPECT_TRUE(f.cboMidiPatch.Enabled());
    EXPECT_EQ(f.WorkPatch, 16);
}

}  // namespace
}  // namespace velt::desk

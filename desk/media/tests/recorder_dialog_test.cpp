// The recorder opened by the settings dialog's Record button: a saved take with its tempo, metre
// and key reaches the dialog's list and controls; closing without a saved take leaves the
// dialog's tempo detection as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/settings/frm_properties.h"
#include "recorder_fixture.h"

namespace velt::desk::test_recorder {
namespace {

namespace fs = std::filesystem;

class RecorderDialog : public RecorderTest {
  protected:
    void SetUp() override {
        RecorderTest::SetUp();
        ui::forms::install<frmRecord>([] { return std::make_unique<frmRecord>(); });
        for (const char* file : {"filter.txt", "percussion.txt"})
            fs::copy_file(test::sourceDir() / "data" / file, G().InstallFolder + file);
    }
};

TEST_F(RecorderDialog, TheRecordButtonTakesTheSavedTakeOver) {
    Global& g = G();
    g.Tempo = 100;
    frmProperties& d = ui::Load<frmProperties>();
    d.chkTempoDetect.setValue(0);
    d.sldInputThreshold.setValue(-1000);
    const std::string target = folder("takes") + "first take.wav";
    ui.onModal<frmRecord>([&](frmRecord& r, ui::test::User& u) {
        EXPECT_FLOAT_EQ(r.RecordTempo, 100);
        EXPECT_EQ(r.txtTimeNum.Text(), d.txtTimeNum.Text());
        EXPECT_EQ(r.KeySignature(), 8 - d.cboKey.ListIndex());
        u.type(r.txtTempo, "90");
        r.txtTimeNum.setText("3");
        meter.level = 4000;
        ui.advance(1);  // the first reading becomes the dialog's threshold
        EXPECT_EQ(d.sldInputThreshold.Value(), -4000);
        recordTake(r, 1000);
        ui.expectFileDialog({.title = "Save Wave File As"}).choose(target);
        u.click(r.cmdSave);
        u.click(r.cmdOK);
    });
    d.cmdRecord_Click();
    EXPECT_TRUE(g.RecordingSaved);
    EXPECT_EQ(g.RecordMark, "N");
    EXPECT_EQ(d.CurrentAudioFile, target);
    ASSERT_GE(d.cboAudioFile.ListCount(), 1);
    EXPECT_EQ(d.cboAudioFile.List(d.cboAudioFile.ListIndex()), "1. first take");
    EXPECT_EQ(d.txtTempo.Text(), "90");
    EXPECT_FLOAT_EQ(d.WorkTempo, 90);
    EXPECT_EQ(d.txtTimeNum.Text(), "3");
    EXPECT_EQ(d.chkTempoDetect.Value(), 1);  // recorded without the metronome: detect it
    EXPECT_TRUE(fs::is_regular_file(target));
    EXPECT_FALSE(fs::exists(takePath()));
    EXPECT_FALSE(ui::forms::existing<frmRecord>());
}

TEST_F(RecorderDialog, ClosingWithoutASavedTakeLeavesTempoDetectionAlone) {
    frmProperties& d = ui::Load<frmProperties>();
    for (int ticked : {0, 1}) {
        SCOPED_TRACE(ticked);
        d.chkTempoDetect.setValue(ticked);
        ui.onModal<frmRecord>([&](frmRecord& r, ui::test::User& u) { u.click(r.cmdOK); });
        d.cmdRecord_Click();
        EXPECT_FALSE(G().RecordingSaved);
        EXPECT_EQ(G().RecordMark, "-");
        EXPECT_EQ(d.chkTempoDetect.Value(), ticked);
    }
}

}  // namespace
}  // namespace velt::desk::test_recorder

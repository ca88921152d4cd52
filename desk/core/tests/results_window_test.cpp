// The results window: the detected settings as it shows them and its six actions.
#include <gtest/gtest.h>

#include "box_match.h"
#include "desk/core/run/frm_results.h"
#include "run_fixture.h"

namespace velt::desk {
namespace {

using test_boxes::Box;
using User = ui::test::User;

class ResultsWindow : public test_run::RunTest {
  protected:
    void show(const std::function<void(frmResults&, User&)>& action) {
        ui.onModal<frmResults>(action);
        ui::forms::get<frmResults>().Show(ui::Modal);
    }
};

TEST_F(ResultsWindow, ShowsTheDetectedSettings) {
    struct Case {
        const char* name;
        float pitch, tempo;
        int numerator, denominator, keySig, mode, drums;
        const char* tuning;
        const char* tempoText;
        const char* meter;
        const char* key;  // "" = the key rows hidden
        bool tuningShown;
    } cases[] = {
        {"in tune", 440, 119.5f, 3, 2, 2, 0, 0, "0 cents", "120 bpm", "3 / 4", "D major (2 sharps)",
         true},
        {"sharp", 445, 120.5f, 6, 3, 0, 1, 0, "+20 cents", "120 bpm", "6 / 8", "A minor", true},
        {"flat, no key", 435, 60, 4, 2, 8, 0, 0, "-20 cents", "60 bpm", "4 / 4", "", true},
        {"drums", 440, 100, 4, 2, 0, 0, 1, "0 cents", "100 bpm", "4 / 4", "", false},
    };
    singleFileProject();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Global& g = G();
        g.ReferencePitch = c.pitch;
        g.Tempo = c.tempo;
        g.TimeSignatureNumerator = c.numerator;
        g.TimeSignatureDenominator = c.denominator;
        g.KeySignature = c.keySig;
        g.MajorMinor = c.mode;
        g.BeatDetect = c.drums;
        show([&](frmResults& r, User& u) {
            EXPECT_EQ(r.Caption(), "Conversion Results");
            EXPECT_EQ(r.txtFile.Text(), g.MidiFiles(1));
            EXPECT_EQ(r.lblTuning1.Caption(), c.tuning);
            EXPECT_EQ(r.lblTempo1.Caption(), c.tempoText);
            EXPECT_EQ(r.lblMeter1.Caption(), c.meter);
            EXPECT_TRUE(r.lblMeter.Visible() && r.lblTempo.Visible());
            EXPECT_EQ(r.lblTuning.Visible(), c.tuningShown);
            EXPECT_EQ(r.lblTuning1.Visible(), c.tuningShown);
            EXPECT_EQ(r.lblKey.Visible(), std::string(c.key) != "");
            if (*c.key != 0) {
                EXPECT_EQ(r.lblKey1.Caption(), c.key);
            }
            EXPECT_TRUE(r.optAction(0).Value());
            u.click(r.cmdClose);
        });
        EXPECT_EQ(g.ResultAction, 0);
    }
}

TEST_F(ResultsWindow, ActionsRunAtOnceOrCloseWithTheirChoice) {
    singleFileProject();
    Global& g = G();
    g.MidiEditor = "/opt/editor/bin/midied";
    g.PartPatch[0] = 41;
    MainWindow().runProjectCommand = [&] {
        commands.push_back("Project");
        g.Tempo = 133;  // the settings changed there show at once after Adjust
    };
    show([&](frmResults& r, User& u) {
        u.click(r.optAction(1));
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(shell.calls[0].arguments,
                  (std::vector<std::string>{"/opt/editor/bin/midied", g.MidiFiles(1)}));
        EXPECT_EQ(g.MidiFileToEdit, g.MidiFiles(1));
        u.click(r.optAction(0));
        u.click(r.optAction(3));
        u.click(r.optAction(4));
        u.dblClick(r.optAction(4));
        EXPECT_EQ(commands, (std::vector<std::string>{"Player", "Project", "SaveAs", "SaveAs"}));
        u.click(r.cmdAdjust);
        EXPECT_EQ(r.lblTempo1.Caption(), "133 bpm");
        u.click(r.cmdSetMidiEditor);
        EXPECT_EQ(commands.back(), "MidiEditor");
        ui.expectFileDialog({.title = "Your MIDI File is Located Here",
                             .filter = "MIDI File (*.mid)|*.mid|All Files (*.*)|*.*",
                             .flags = 0x4100,
                             .fileName = g.MidiFiles(1)})
            .cancel();
        u.click(r.cmdLocate);
        EXPECT_TRUE(ui::isLoaded<frmResults>());
        u.click(r.optAction(5));  // closes
        EXPECT_FALSE(ui::isLoaded<frmResults>());
    });
    EXPECT_EQ(g.ResultAction, 5);
    EXPECT_EQ(g.ScoreBuilderMaster, g.MidiFiles(1));
    EXPECT_EQ(g.ScoreBuilderPatch, 41);
}

TEST_F(ResultsWindow, ConvertAgainOffersToConstrainToTheDetectedKey) {
    singleFileProject();
    Global& g = G();
    g.KeySignature = 2;
    g.MajorMinor = 0;
    ui.expectBox(Box("Do you want to constrain the notes to the specified key of D major (2 "
                     "sharps)?",
                     "Converter", 32))
        .answer(ui::Yes);
    show([&](frmResults& r, User& u) { u.click(r.optAction(2)); });
    EXPECT_EQ(g.ResultAction, 2);
    EXPECT_EQ(g.Constrain, 1);

    // Already constrained, or drums: no question.
    show([&](frmResults& r, User& u) { u.click(r.optAction(2)); });
    g.Constrain = 0;
    g.BeatDetect = 1;
    show([&](frmResults& r, User& u) { u.click(r.optAction(2)); });
    EXPECT_EQ(g.Constrain, 0);

    // Closed by its frame: no follow-up, whatever the window before chose.
    show([&](frmResults& r, User& u) { u.closeBox(r); });
    EXPECT_EQ(g.ResultAction, 0);
}

}  // namespace
}  // namespace velt::desk

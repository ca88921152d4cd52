// The instrument pages over the hidden settings dialog: what instruments, the instrument heard
// and its patch, the audition, the polyphony box, the ensemble editor and the stereo choice.
#include <algorithm>

#include "desk/core/shared/data_lists.h"
#include "desk/instruments/frm_ens.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

class WizardInstruments : public WizardTest {
  protected:
    // The index of the first MIDI message from `from` on whose bytes satisfy `match`, or -1.
    template <class Match>
    int messageIndex(size_t from, Match match) const {
        for (size_t i = from; i < midi.events.size(); ++i) {
            const auto& e = midi.events[i];
            if (e.kind == platform::midi_out::RecordingMidiOut::Event::Kind::Message &&
                match(e.bytes))
                return static_cast<int>(i);
        }
        return -1;
    }
};

TEST_F(WizardInstruments, WhatInstrumentsMapsOntoTheSettingsDialog) {
    frmWizard& w = wizard();
    frmProperties& p = editor();
    struct Case {
        int index;
        int editorFilter;  // the editor's optFilter row selected
        int beatDetect;    // the editor's optBeatDetect row selected
    } cases[] = {{2, 0, 1}, {3, 1, 1}, {0, 0, 0}, {1, 1, 0}};
    for (const Case& c : cases) {
        w.optFilter1(1).setValue(true);
        w.optFilter(c.index).setValue(true);
        EXPECT_TRUE(p.optFilter(c.editorFilter).Value()) << c.index;
        EXPECT_FALSE(p.optFilter(1 - c.editorFilter).Value()) << c.index;
        EXPECT_TRUE(p.optBeatDetect(c.beatDetect).Value()) << c.index;
        // Drum recognition plays several drums at once.
        EXPECT_EQ(w.optFilter1(0).Value(), c.index == 3) << c.index;
    }
}

TEST_F(WizardInstruments, TheInstrumentHeardSetsPatchAndPolyphony) {
    frmWizard& w = wizard();
    w.optFilter(1).setValue(true);  // known instruments: one of them, named on step 6
    w.ShowStep(WizardStep::OriginalInstrument);
    ASSERT_GT(w.cboFilter.ListCount(), 100);
    const std::string filter = G().InstallFolder + "filter.txt";
    for (int program : {73, 40, 52, 71}) {  // flute, violin, choir, clarinet
        const int row = RowWithLeadingNumber(w.cboFilter, program);
        ASSERT_GE(row, 0) << program;
        w.cboFilter.setListIndex(row);
        EXPECT_EQ(G().EnsPatch[0], program);
        EXPECT_EQ(editor().cboMidiPatch.ListIndex(), row) << program;
        EXPECT_EQ(w.cboMidiPatch1.ListIndex(), row) << program;
        const auto line = FindInstrumentLine(filter, program);
        ASSERT_TRUE(line.has_value()) << program;
        const int poly = line->poly == 0 ? 30 : line->poly;
        EXPECT_EQ(w.txtPitchMode.Text(), std::to_string(poly)) << program;
        EXPECT_EQ(editor().txtPitchMode.Text(), std::to_string(poly)) << program;
    }
}

TEST_F(WizardInstruments, TheAuditionPlaysTheInstrumentsProgramThenMiddleC) {
    frmWizard& w = wizard();
    w.optFilter(1).setValue(true);  // known instruments: one of them, named on step 6
    w.ShowStep(WizardStep::OriginalInstrument);
    const int row = RowWithLeadingNumber(w.cboFilter, 68);  // oboe
    ASSERT_GE(row, 0);
    w.cboFilter.setListIndex(row);
    const size_t before = midi.events.size();
    w.cmdsndFilter_Click();
    ui.advance(2000);
    const int program = messageIndex(before, [](const std::vector<uint8_t>& b) {
        return b.size() >= 2 && (b[0] & 0xF0) == 0xC0 && b[1] == 68;
    });
    ASSERT_GE(program, 0);
    const int note = messageIndex(static_cast<size_t>(program), [](const std::vector<uint8_t>& b) {
        return b.size() >= 3 && (b[0] & 0xF0) == 0x90 && b[1] == 60 && b[2] > 0;
    });
    EXPECT_GT(note, program);
    EXPECT_FALSE(editor().PlayFromWizard);
}

TEST_F(WizardInstruments, ThePolyphonyBoxIsClampedByTheSettingsDialog) {
    frmWizard& w = wizard();
    w.ShowStep(WizardStep::Polyphony);
    struct Case {
        const char* typed;
        const char* shown;
        int poly;
    } cases[] = {{"0", "1", 1}, {"300", "128", 128}, {"12", "12", 12}};
    for (const Case& c : cases) {
        w.txtPitchMode.setText(c.typed);
        EXPECT_EQ(w.txtPitchMode.Text(), c.shown) << c.typed;
        EXPECT_EQ(editor().txtPitchMode.Text(), c.shown) << c.typed;
        EXPECT_EQ(G().EnsPoly[0], c.poly) << c.typed;
    }
}

TEST_F(WizardInstruments, TheEnsembleIsChosenAndEditedInTheEnsembleEditor) {
    frmWizard& w = wizard();
    w.optFilter(1).setValue(true);
    w.ShowStep(WizardStep::Ensemble);
    int edits = 0;
    ui.onModal<frmEns>([&](frmEns& e, ui::test::User& u) {
        ++edits;
        u.click(e.cmdOK);
    });
    const std::string ensemble = G().InstallFolder + "Ensembles/Example - Piano and Organ.ens";
    ui.expectFileDialog({.title = "Select Ensemble"}).choose(ensemble);
    w.cmdPatchMapBrowse_Click();
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(editor().txtPatchMap.Text(), "Example - Piano and Organ");
    EXPECT_EQ(w.txtPatchMap.Text(), editor().txtPatchMap.Text());
    ui.onModal<frmEns>([&](frmEns& e, ui::test::User& u) {
        ++edits;
        u.click(e.cmdOK);
    });
    w.cmdPatchMapEdit_Click();
    EXPECT_EQ(edits, 2);
    EXPECT_EQ(w.txtPatchMap.Text(), editor().txtPatchMap.Text());
    EXPECT_FALSE(ui::isLoaded<frmEns>());
}

TEST_F(WizardInstruments, TheStereoChoiceIsCopied) {
    frmWizard& w = wizard();
    for (int i : {1, 2, 3, 0}) {
        w.optStereo(i).setValue(true);
        EXPECT_TRUE(editor().optStereo(i).Value()) << i;
    }
}

}  // namespace
}  // namespace velt::desk

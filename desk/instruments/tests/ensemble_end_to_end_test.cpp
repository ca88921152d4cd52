// An ensemble made in the ensemble editor from the settings dialog: saved as a file that the
// dialog reads back to the same rows, kept in the saved project, and converted from the command
// line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "box_match.h"
#include "desk/core/global.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/shared/ensemble_file.h"
#include "desk/instruments/frm_ens.h"
#include "desk/settings/frm_properties.h"
#include "main_window_fixture.h"
#include "platform/profile/profile.h"
#include "test_support.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

class EnsembleEndToEnd : public MainWindowTest {};

TEST_F(EnsembleEndToEnd, AnEnsembleMadeInTheEditorIsSavedReadBackAndConverts) {
    fs::copy_file(test::sourceDir() / "data" / "filter.txt", dir / "install" / "filter.txt");
    fs::copy_file(test::sourceDir() / "data" / "percussion.txt",
                  dir / "install" / "percussion.txt");
    frmMain& f = start();
    const std::string tune = (dir / "music" / "duet.wav").string();
    ASSERT_TRUE(soxWave(tune, "synth 0.6 sine 262 synth 0.6 sine 330 : synth 0.6 sine 392"));
    enableProjectEditing(f);
    G().TempoDetect = 0;

    const std::string ensembleFile = (dir / "docs" / "Duet.ens").string();
    EnsembleFile applied;
    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        ui.expectFileDialog({.title = "Select Audio File"}).choose(tune);
        u.click(p.cmdWaveBrowse);
        u.selectTab(p.tabProperties, 2);  // timing: a fixed tempo for three notes
        if (p.chkTempoDetect.Value() == 1) u.click(p.chkTempoDetect);
        u.type(p.txtTempo, "100");
        u.type(p.txtTimeNum, "4");
        u.selectTab(p.tabProperties, 4);  // the MIDI tab
        u.click(p.optFilter(1));          // the instruments are known: an ensemble
        ui.onModal<frmEns>([&](frmEns& e, ui::test::User& eu) {
            for (int row = 0; row < kEnsembleRows; ++row) {
                if (row > 1 && e.chkActive(row).Value() == 1) eu.click(e.chkActive(row));
            }
            if (e.chkActive(0).Value() == 0) eu.click(e.chkActive(0));
            if (e.chkActive(1).Value() == 0) eu.click(e.chkActive(1));
            ui.expectBox({.textStartsWith = "Automatically adjust"}).answer(ui::Yes);
            eu.pick(e.cboPatch(1), 73);  // the flute
            eu.click(e.cmdApply);
            ui.expectFileDialog({.title = "Save Ensemble As"}).choose(ensembleFile);
            eu.click(e.cmdSaveAs);
            eu.click(e.cmdOK);
        });
        u.click(p.cmdPatchMapEdit);
        for (int i = 0; i < kEnsembleRows; ++i) {
            const Global& g = G();
            applied.rows[i] = {g.EnsActive[i], g.EnsChannel[i], g.EnsTrack[i], g.EnsPoly[i],
                               g.EnsPatch[i],  g.EnsKeyMin[i],  g.EnsKeyMax[i]};
        }
        // The dialog reads the saved file back to the same rows.
        p.LoadEnsembleFile(ensembleFile);
        for (int i = 0; i < kEnsembleRows; ++i) {
            SCOPED_TRACE(i);
            const Global& g = G();
            EXPECT_EQ(g.EnsActive[i], applied.rows[i].active);
            EXPECT_EQ(g.EnsChannel[i], applied.rows[i].channel);
            EXPECT_EQ(g.EnsPoly[i], applied.rows[i].poly);
            EXPECT_EQ(g.EnsPatch[i], applied.rows[i].patch);
            EXPECT_EQ(g.EnsKeyMin[i], applied.rows[i].keyMin);
            EXPECT_EQ(g.EnsKeyMax[i], applied.rows[i].keyMax);
        }
        EXPECT_EQ(p.txtPatchMap.Text(), "Duet");
        ui.expectBox({.textStartsWith = "You will need to regenerate"}).answer(ui::No);
        u.click(p.cmdOK);
    });
    ui.user().toolbar(f.Toolbar, "Edit Project");
    EXPECT_EQ(applied.rows[0].active, 1);
    EXPECT_EQ(applied.rows[1].active, 1);
    EXPECT_EQ(applied.rows[2].active, 0);
    EXPECT_EQ(applied.rows[1].patch, 73);

    const std::string project = (dir / "duet.vpr").string();
    saveProjectAs(f, project);
    ASSERT_TRUE(fs::exists(project));
    using platform::profile::readInt;
    EXPECT_EQ(readInt("other", "Active1", -1, project), 1);
    EXPECT_EQ(readInt("midi", "Patch1", -1, project), 73);
    EXPECT_EQ(readInt("midi", "Channel1", -1, project), applied.rows[1].channel);
    EXPECT_EQ(readInt("other", "Active2", -1, project), 0);

    EXPECT_EQ(convertFromCommandLine(project), 0) << test::readFile(dir / "log.txt");
    EXPECT_TRUE(fs::exists(dir / "music" / "duet.mid"));
}

}  // namespace
}  // namespace velt::desk

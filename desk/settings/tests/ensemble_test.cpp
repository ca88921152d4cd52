// Ensembles and drum kits loaded into the working ensemble, MIDI channels around a master file
// made with csvmidi, and the single-instrument channel box with its instrument or percussion list.
#include "desk/core/shared/master_file.h"
#include "desk/core/shared/text_pieces.h"
#include "settings_fixture.h"

namespace velt::desk {
namespace {

using test_boxes::Box;
namespace fs = std::filesystem;

constexpr int kMidiTab = 4;

class SettingsEnsemble : public SettingsTest {
  protected:
    // A master MIDI file with one note on each of the given channels (1..16), made by csvmidi.
    std::string master(const std::string& name, const std::vector<int>& channels) {
        std::string csv = "0, 0, Header, 1, 1, 480\n1, 0, Start_track\n";
        int t = 0;
        for (int c : channels) {
            csv += "1, " + std::to_string(t) + ", Program_c, " + std::to_string(c - 1) + ", 0\n";
            csv +=
                "1, " + std::to_string(t) + ", Note_on_c, " + std::to_string(c - 1) + ", 60, 100\n";
            t += 120;
            csv +=
                "1, " + std::to_string(t) + ", Note_off_c, " + std::to_string(c - 1) + ", 60, 0\n";
        }
        csv += "1, " + std::to_string(t) + ", End_track\n0, 0, End_of_file\n";
        test::writeFile(dir / (name + ".csv"), csv);
        const std::string mid = (dir / (name + ".mid")).string();
        EXPECT_EQ(test::runCommand("csvmidi " + test::shellQuote((dir / (name + ".csv")).string()) +
                                   " " + test::shellQuote(mid))
                      .exitCode,
                  0);
        return mid;
    }

    // An ensemble file: `body` holds its keys after the sections' heads.
    std::string ensemble(const std::string& name, const std::string& midi,
                         const std::string& pitch = "", const std::string& other = "") {
        const fs::path path = dir / (name + ".ens");
        test::writeFile(path, "[midi]\n" + midi + "[pitch]\n" + pitch + "[other]\n" + other);
        return path.string();
    }

    static std::vector<int> channels() {
        std::vector<int> c;
        for (int i = 0; i < PartCount; ++i) c.push_back(G().EnsChannel[i]);
        return c;
    }
};

TEST_F(SettingsEnsemble, ChannelsGoAroundTheMasterFile) {
    frmProperties& f = dialog();
    const std::string trio =
        ensemble("Trio", "Channel15=10\n", "", "Active0=1\nActive1=1\nActive4=1\nActive15=1\n");
    std::vector<int> every;
    for (int c = 1; c <= 16; ++c)
        if (c != 10) every.push_back(c);
    struct Case {
        const char* name;
        std::vector<int> used;
        const char* single;
        std::vector<int> rows;  // rows 0, 1, 4, then the percussion row 15
        bool messages;
    } cases[] = {
        {"no master", {}, "1", {1, 2, 3, 10}, false},
        {"channels 1-3", {1, 2, 3}, "4", {4, 5, 6, 10}, false},
        {"channels 1 and 11", {1, 11}, "2", {2, 3, 4, 10}, false},
        {"all but 10", every, "1", {0, 0, 0, 10}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.used.empty()) {
            ASSERT_FALSE(CheckMasterFile(""));
        } else {
            ASSERT_TRUE(CheckMasterFile(master("master", c.used)));
            for (int ch = 1; ch <= 16; ++ch)
                EXPECT_EQ(G().ChannelUsed[ch],
                          std::find(c.used.begin(), c.used.end(), ch) != c.used.end());
        }
        if (c.messages) {
            ui.expectBox(Box("No MIDI channels remaining for Rerar Odaduza.", "Rerar Odaduza", 16))
                .answer(ui::OK);
            ui.expectBox(Box("Not enough MIDI channels available for Rerar Odaduza. Please select "
                             "a smaller ensemble.",
                             "Rerar Odaduza", 16))
                .answer(ui::OK);
        }
        const size_t shown = ui.boxes().size();
        f.txtChannel.setText("1");
        f.LoadEnsembleFile(trio);
        EXPECT_EQ(ui.boxes().size() - shown, c.messages ? 2u : 0u);  // each message once
        EXPECT_EQ(f.txtChannel.Text(), c.single);
        const std::vector<int> got = channels();
        EXPECT_EQ((std::vector<int>{got[0], got[1], got[4], got[15]}), c.rows);
        EXPECT_EQ(got[2], 3);  // inactive rows keep their channels
    }
    // The percussion channel stays on 10: the single box is not moved off it.
    ASSERT_TRUE(CheckMasterFile(master("master", {1, 2, 3})));
    f.txtChannel.setText("10");
    f.AssignChannels();
    EXPECT_EQ(f.txtChannel.Text(), "10");
}

TEST_F(SettingsEnsemble, OlderVanishedAndDamagedFilesLoadWithoutMessages) {
    frmProperties& f = dialog();
    Global& g = G();
    struct Case {
        const char* name;
        std::string file;
        std::vector<int> channels;
        int active0, keyMin0, keyMax0, poly0, poly15;
        const char* drumKit;
        const char* kitName;
    } cases[] = {
        {"older layout",
         ensemble("Old Band", "Channel15=5\nDrumKit=35,38,\nKitName=Two Drums\n", "Poly15=8\n",
                  "Active0=1\n"),
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 10},
         1,
         21,
         108,
         10,
         3,
         "35,38,",
         "Two Drums"},
        {"vanished file",
         (dir / "Gone.ens").string(),
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 10},
         0,
         21,
         108,
         10,
         3,
         "35,38,42,47,57,",
         "Basic Kit"},
        {"values out of range held",
         ensemble("Damaged", "Channel0=99\nChannel1=99\nChannel15=10\n",
                  "KeyMin0=-5\nKeyMax0=200\nPoly0=0\nPoly15=999\n", "Active0=5\n"),
         {1, 16, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10},
         1,
         0,
         127,
         1,
         128,
         "35,38,42,47,57,",
         "Basic Kit"},
        {"not an ensemble",
         [&] {
             test::writeFile(dir / "noise.ens", std::string("\x01\xff\x00[midi\nChannel", 16));
             return (dir / "noise.ens").string();
         }(),
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 10},
         0,
         21,
         108,
         10,
         3,
         "35,38,42,47,57,",
         "Basic Kit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.LoadEnsembleFile(c.file);
        EXPECT_EQ(channels(), c.channels);
        EXPECT_EQ(g.EnsActive[0], c.active0);
        EXPECT_EQ(g.EnsKeyMin[0], c.keyMin0);
        EXPECT_EQ(g.EnsKeyMax[0], c.keyMax0);
        EXPECT_EQ(g.EnsPoly[0], c.poly0);
        EXPECT_EQ(g.EnsPoly[15], c.poly15);
        EXPECT_EQ(g.EnsDrumKit, c.drumKit);
        EXPECT_EQ(g.EnsKitName, c.kitName);
        EXPECT_EQ(f.txtPatchMap.Text(), BaseNameOf(c.file));
        EXPECT_EQ(g.EnsembleFolder, dir.path().string() + "/");
        // The note names of the held keys exist.
        EXPECT_FALSE(f.ValToKey(g.EnsKeyMin[0]).empty());
        EXPECT_FALSE(f.ValToKey(g.EnsKeyMax[0]).empty());
    }
    EXPECT_TRUE(ui.boxes().empty());

    // A drum kit in drums-only mode: its list and polyphony, Poly0 where Poly reads 0.
    f.optBeatDetect(1).setValue(true);
    test::writeFile(dir / "Kit.vdk", "[midi]\nDrumKit=36,38,\n[pitch]\nPoly=0\nPoly0=6\n");
    g.EnsChannel[PercussionPart] = 10;
    f.LoadEnsembleFile((dir / "Kit.vdk").string());
    EXPECT_EQ(g.EnsDrumKit, "36,38,");
    EXPECT_EQ(g.EnsPoly[PercussionPart], 6);
    EXPECT_EQ(g.DrumKitFolder, dir.path().string() + "/");
    EXPECT_EQ(f.txtPatchMap.Text(), "Kit");
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(SettingsEnsemble, TheChannelBoxSwitchesBetweenInstrumentsAndPercussion) {
    installData();
    G().MidiChan = 3;
    G().Filter = 0;
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    u.selectTab(f.tabProperties, kMidiTab);
    ASSERT_EQ(f.cboMidiPatch.ListCount(), 128);
    f.optFilter(1).setValue(true);  // a pick would ask about the range: only a switch may not
    f.Loading = true;
    f.cboMidiPatch.setListIndex(5);
    f.Loading = false;

    struct Step {
        const char* typed;
        const char* label;
        int rows, selected;
        int32_t patch;
    } steps[] = {
        {"4", "Instrument in Original Audio:", 128, 5, 5},  // 3 to 4: nothing changes
        {"10", "Assign to Percussion:", 61, 11, 38},
        {"10", "Assign to Percussion:", 61, 11, 38},
        {"4", "Assign to Patch:", 128, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.typed);
        u.type(f.txtChannel, s.typed);
        u.key(f.txtChannel, ui::Key::Tab);
        EXPECT_EQ(f.lblMidiPatch.Caption(), s.label);
        EXPECT_EQ(f.cboMidiPatch.ListCount(), s.rows);
        EXPECT_EQ(f.cboMidiPatch.ListIndex(), s.selected);
        EXPECT_EQ(f.WorkPatch, s.patch);
        EXPECT_FALSE(f.Loading);
    }
    EXPECT_EQ(f.cboMidiPatch.List(0), "0 - Acoustic Grand Piano");
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(f.LastChannel, 4);

    // Short and missing lists: the first row, or none with no patch; the dialog is not left
    // loading, so a later pick asks about the range again.
    test::writeFile(dir / "install" / "percussion.txt",
                    "35 - Acoustic Bass Drum\n36 - Bass Drum 1\n37 - Side Stick\n"
                    "38 - Acoustic Snare\n39 - Hand Clap\n");
    u.type(f.txtChannel, "10");
    u.key(f.txtChannel, ui::Key::Tab);
    EXPECT_EQ(f.cboMidiPatch.ListCount(), 5);
    EXPECT_EQ(f.cboMidiPatch.ListIndex(), 0);
    EXPECT_EQ(f.WorkPatch, 35);
    EXPECT_FALSE(f.Loading);
    fs::remove(dir / "install" / "filter.txt");
    u.type(f.txtChannel, "2");
    u.key(f.txtChannel, ui::Key::Tab);
    EXPECT_EQ(f.cboMidiPatch.ListCount(), 0);
    EXPECT_EQ(f.WorkPatch, 0);
    fs::remove(dir / "install" / "percussion.txt");
    u.spin(f.spnChannel, ui::Up, 8);
    EXPECT_EQ(f.txtChannel.Text(), "10");
    EXPECT_EQ(f.cboMidiPatch.ListCount(), 0);
    EXPECT_EQ(f.WorkPatch, 0);
    EXPECT_FALSE(f.Loading);
    EXPECT_TRUE(ui.boxes().empty());

    // Apply takes the channel and the percussion patch.
    EXPECT_TRUE(u.click(f.cmdApply));
    EXPECT_EQ(G().MidiChan, 10);
    EXPECT_EQ(G().MidiPat, 0);
}

TEST_F(SettingsEnsemble, TheLoadKeepsTheProjectsChannelAndPatch) {
    installData();
    struct Case {
        int32_t channel, patch;
        const char* label;
        int rows;
        const char* selected;
    } cases[] = {
        {5, 40, "Assign to Patch:", 128, "40 - Violin"},
        {10, 42, "Assign to Percussion:", 61, "42 - Closed Hi-Hat"},
        {10, 99, "Assign to Percussion:", 61, "38 - Acoustic Snare"},  // not a percussion key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel);
        ResetGlobal();
        G().InstallFolder = (dir / "install").string() + "/";
        G().TempFolder = (dir / "temp").string();
        G().MidiChan = c.channel;
        G().MidiPat = c.patch;
        frmProperties& f = dialog();
        EXPECT_EQ(f.txtChannel.Text(), std::to_string(c.channel));
        EXPECT_EQ(f.lblMidiPatch.Caption(), c.label);
        EXPECT_EQ(f.cboMidiPatch.ListCount(), c.rows);
        EXPECT_EQ(f.cboMidiPatch.Text(), c.selected);
        EXPECT_FALSE(f.cmdApply.Enabled());
        ui::Release<frmProperties>();
    }
    EXPECT_TRUE(ui.boxes().empty());
}

}  // namespace
}  // namespace velt::desk

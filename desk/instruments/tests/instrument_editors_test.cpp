// The drum kit editor and the ensemble editor, driven as a user would through the scripted
// runtime, with the recording MIDI double for their previews and kit and ensemble files of our
// own in a temporary install folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "box_match.h"
#include "desk/core/global.h"
#include "desk/core/shared/drum_kit_file.h"
#include "desk/core/shared/ensemble_file.h"
#include "desk/instruments/frm_drum.h"
#include "desk/instruments/frm_ens.h"
#include "desk/settings/frm_properties.h"
#include "platform/midi_out/midi_out.h"
#include "test_support.h"

namespace velt::desk {
namespace {

using test_boxes::Box;
using Kind = platform::midi_out::RecordingMidiOut::Event::Kind;

class InstrumentEditors : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        platform::midi_out::useDevices(&midi);
        G().InstallFolder = dir.path().string() + "/";
        test::writeFile(dir / "filter.txt",
                        "0 - Acoustic Grand Piano,21,108,10\n25 - Acoustic Guitar,40,88,6\n"
                        "40 - Violin,55,103,1\n71 - Clarinet\n");
        test::writeFile(dir / "percussion.txt",
                        "35 - Acoustic Bass Drum\n36 - Bass Drum 1\n38 - Acoustic Snare\n"
                        "42 - Closed Hi-Hat*\n47 - Low-Mid Tom\n57 - Crash Cymbal 2\n");
        // The editors are opened from the settings dialog, whose load fills the working
        // ensemble from the project; the tests set the working ensemble after that.
        ui::Load<frmProperties>();
    }
    void TearDown() override {
        ui::Release<frmDrum>();
        ui::Release<frmEns>();
        ui::Release<frmProperties>();
        platform::midi_out::useDevices(nullptr);
        ResetGlobal();
    }
    // Note-ons sent to the MIDI double, as status, note pairs.
    std::vector<std::pair<int, int>> noteOns() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& e : midi.events)
            if (e.kind == Kind::Message && e.bytes.size() >= 2 && (e.bytes[0] & 0xF0) == 0x90)
                out.emplace_back(e.bytes[0], e.bytes[1]);
        return out;
    }
    frmEns& ensemble() {
        frmEns& f = ui::Load<frmEns>();
        f.Show();
        return f;
    }
    frmDrum& drumKit() {
        frmDrum& f = ui::Load<frmDrum>();
        f.Show();
        return f;
    }

    ui::test::Script ui;
    test::TempDir dir;
    platform::midi_out::RecordingMidiOut midi;
};

TEST_F(InstrumentEditors, DrumKitTicksPreviewAndApplyWritesBack) {
    frmEns& ens = ensemble();
    frmDrum& kit = drumKit();
    auto u = ui.user();
    EXPECT_EQ(kit.chkDrum(36 - 27).Caption(), "36 - Bass Drum 1");
    EXPECT_EQ(kit.chkDrum(42 - 27).Value(), 1);  // the default kit
    EXPECT_TRUE(kit.chkDrum(42 - 27).FontBold());
    EXPECT_FALSE(kit.cmdApply.Enabled());

    u.click(kit.chkDrum(36 - 27));
    ASSERT_FALSE(noteOns().empty());
    EXPECT_EQ(noteOns().back(), std::make_pair(0x99, 36));
    EXPECT_TRUE(kit.cmdApply.Enabled());
    EXPECT_TRUE(kit.cmdSaveAs.Enabled());
    EXPECT_EQ(kit.txtDrumKit.Text(), "[unnamed]");  // auto name with several drums

    u.type(kit.txtPitchMode, "\b\b\b300");
    u.focus(kit.chkAutoName);
    EXPECT_EQ(kit.txtPitchMode.Text(), "128");
    u.click(kit.cmdApply);
    EXPECT_EQ(G().EnsDrumKit, "35,36,38,42,47,57,");
    EXPECT_EQ(G().EnsPoly[15], 128);
    EXPECT_EQ(ens.txtDrumKit.Text(), "[unnamed]");
    EXPECT_EQ(ens.txtPoly(15).Text(), "128");
    EXPECT_TRUE(ens.cmdApply.Enabled());
    EXPECT_FALSE(kit.cmdApply.Enabled());
}

// The editors' previews sound without the settings dialog's own procedures: a row's range limit
// and patch preview on the dialog's channel and patch, a drum on channel 10; each tone ends after
// the test-note length.
TEST_F(InstrumentEditors, PreviewsSoundOnTheDialogsVoiceAndEndAfterTheirLength) {
    using Bytes = std::vector<uint8_t>;
    Global& g = G();
    g.EnsActive = {1, 1};
    g.Duration = 300;
    frmProperties& dialog = ui::forms::get<frmProperties>();
    dialog.txtChannel.setText("3");
    dialog.WorkPatch = 40;
    frmEns& ens = ensemble();
    auto u = ui.user();
    const struct {
        const char* name;
        std::function<void()> act;
        std::vector<Bytes> messages;
    } cases[] = {
        {"a row's high note",
         [&] {
             u.type(ens.txtKeyMax(1), "\b\b\b\bC7");
             u.focus(ens.txtPoly(1));
         },
         {{0xC2, 40}, {0x92, 84, 127}}},
        {"a row's low note",
         [&] {
             u.type(ens.txtKeyMin(1), "\b\b\b\bC3");
             u.focus(ens.txtPoly(1));
         },
         {{0xC2, 40}, {0x92, 36, 127}}},
        {"a row's patch: middle C on the dialog's patch",
         [&] {
             ui.expectBox({.textStartsWith = "Automatically adjust"}).answer(ui::No);
             u.pick(ens.cboPatch(1), 1);
         },
         {{0xC2, 40}, {0x92, 60, 127}}},
        {"a drum of the kit",
         [&] { u.click(drumKit().chkDrum(36 - 27)); },
         {{0xC9, 0}, {0x99, 36, 127}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        midi.events.clear();
        c.act();
        std::vector<Bytes> sent;
        for (const auto& e : midi.events)
            if (e.kind == Kind::Message) sent.push_back(e.bytes);
        EXPECT_EQ(sent, c.messages);
        ASSERT_FALSE(midi.events.empty());
        EXPECT_EQ(midi.events.back().kind, Kind::Message);  // still sounding
        ui.advance(300);
        ASSERT_GE(midi.events.size(), 2u);
        EXPECT_EQ(midi.events[midi.events.size() - 2].kind, Kind::Reset);
        EXPECT_EQ(midi.events.back().kind, Kind::Close);
    }
}

TEST_F(InstrumentEditors, DrumKitNamesAndTheEmptyKit) {
    G().EnsDrumKit = "42,";
    frmDrum& kit = drumKit();
    auto u = ui.user();
    u.click(kit.chkAutoName);
    u.click(kit.chkAutoName);
    EXPECT_EQ(kit.txtDrumKit.Text(), "Closed Hi-Hat");  // the "*" mark goes
    u.click(kit.chkDrum(42 - 27));
    EXPECT_EQ(kit.txtDrumKit.Text(), "[empty]");

    ui.expectBox(
          Box("Drum kit must contain at least one drum.", "Edit Drum Kit", ui::Exclamation, 990))
        .answer(ui::OK);
    u.click(kit.cmdApply);
    EXPECT_EQ(G().EnsDrumKit, "42,");
    ui.expectBox(
          Box("Drum kit must contain at least one drum.", "Edit Drum Kit", ui::Exclamation, 990))
        .answer(ui::OK);
    u.click(kit.cmdOK);
    EXPECT_TRUE(ui::isLoaded<frmDrum>());  // OK on an empty kit keeps the window open

    u.type(kit.txtPitchMode, "\b\b\b0");
    u.click(kit.chkDrum(35 - 27));
    EXPECT_EQ(kit.txtPitchMode.Text(), "1");
}

TEST_F(InstrumentEditors, DrumKitSaveAsAndLoad) {
    frmDrum& kit = drumKit();
    auto u = ui.user();
    u.click(kit.chkDrum(36 - 27));
    const std::string path = (dir / "Brushes.vdk").string();
    ui.expectFileDialog(
          {.title = "Save Drum Kit As", .flags = 2054, .fileName = "", .defaultExt = ".vdk"})
        .choose(path);
    u.click(kit.cmdSaveAs);
    EXPECT_EQ(kit.txtDrumKit.Text(), "Brushes");
    EXPECT_FALSE(kit.cmdSaveAs.Enabled());
    EXPECT_EQ(ReadDrumKitFile(path).drumList, "35,36,38,42,47,57,");

    // A target that can't be written (a folder that holds a file): the message, and the kit
    // still counts as unsaved.
    u.click(kit.chkDrum(38 - 27));
    std::filesystem::create_directories(dir / "taken.vdk");
    test::writeFile(dir / "taken.vdk" / "inside", "x");
    ui.expectFileDialog({.title = "Save Drum Kit As"}).choose((dir / "taken.vdk").string());
    ui.expectBox({.textStartsWith = "taken.vdk already exists"}).answer(ui::Yes);
    ui.expectBox(Box("Unable to save the drum kit file.", "Edit Drum Kit", ui::Exclamation))
        .answer(ui::OK);
    u.click(kit.cmdSaveAs);
    EXPECT_TRUE(kit.cmdSaveAs.Enabled());

    // Load: Cancel ends it; Yes with a cancelled save ends it too; No loads, Poly0 fills in.
    const std::string old = (dir / "Old.vdk").string();
    test::writeFile(old, "[midi]\nDrumKit=40,41,\n[pitch]\nPoly0=7\n");
    const std::string prompt =
        "The current drumkit has been changed.  Do you want to save these changes?";
    ui.expectBox(Box(prompt, "Edit Drum Kit", ui::Question)).answer(ui::Cancel);
    u.click(kit.cmdLoad);
    ui.expectBox(Box(prompt, "Edit Drum Kit", ui::Question)).answer(ui::Yes);
    ui.expectFileDialog({.title = "Save Drum Kit As"}).cancel();
    u.click(kit.cmdLoad);
    EXPECT_EQ(kit.chkDrum(38 - 27).Value(), 0);  // the edits are still there
    ui.expectBox(Box(prompt, "Edit Drum Kit", ui::Question)).answer(ui::No);
    ui.expectFileDialog({.title = "Open Drum Kit", .flags = 4100}).choose(old);
    u.click(kit.cmdLoad);
    EXPECT_EQ(kit.txtDrumKit.Text(), "Old");
    EXPECT_EQ(kit.txtPitchMode.Text(), "7");
    EXPECT_EQ(kit.chkDrum(40 - 27).Value(), 1);
    EXPECT_EQ(kit.chkDrum(35 - 27).Value(), 0);
    EXPECT_FALSE(kit.cmdApply.Enabled());
    EXPECT_FALSE(kit.cmdSaveAs.Enabled());
}

TEST_F(InstrumentEditors, EnsembleOpensDamagedRowsWithoutBoxes) {
    Global& g = G();
    g.EnsActive = {1, 1};
    g.EnsKeyMin[0] = -5;
    g.EnsKeyMax[0] = 200;
    g.EnsChannel[1] = 99;
    g.EnsPoly[1] = 0;
    g.EnsPatch[1] = 40;
    frmEns& ens = ensemble();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(g.RowKeyMin[0], 0);
    EXPECT_EQ(g.RowKeyMax[0], 127);
    EXPECT_EQ(ens.txtChannel(1).Text(), "16");
    EXPECT_EQ(ens.txtPoly(1).Text(), "1");
    EXPECT_EQ(ens.cboPatch(1).Text(), "40 - Violin");
    EXPECT_EQ(ens.cboPatch(15).Text(), "PERCUSSION");
    EXPECT_FALSE(ens.cmdApply.Enabled());
    EXPECT_FALSE(ens.cmdSaveAs.Enabled());
}

TEST_F(InstrumentEditors, EnsembleNamesMuteAndTheLastActiveRow) {
    Global& g = G();
    g.EnsActive = {1, 0};
    g.EnsActive[15] = 0;
    g.EnsPatch[0] = 40;
    g.EnsAutoName = 1;
    frmEns& ens = ensemble();
    auto u = ui.user();

    u.click(ens.chkActive(0));
    EXPECT_EQ(ens.chkActive(0).Value(), 1);  // the last active row stays active
    EXPECT_EQ(ens.txtPatchMap.Text(), "Violin");

    ui.expectBox({.text = "Automatically adjust pitch range and polyphony to match the selected "
                          "instrument?"})
        .answer(ui::No);
    u.click(ens.chkActive(1));
    u.pick(ens.cboPatch(1), 2);  // also the violin: same name
    EXPECT_EQ(ens.txtPatchMap.Text(), "Violin");
    ui.expectBox({.textStartsWith = "Automatically adjust"}).answer(ui::Yes);
    u.pick(ens.cboPatch(1), 1);  // the guitar: mixed
    EXPECT_EQ(ens.txtPatchMap.Text(), "[unnamed]");
    EXPECT_EQ(g.RowKeyMin[1], 40);
    EXPECT_EQ(g.RowKeyMax[1], 88);
    EXPECT_EQ(ens.txtPoly(1).Text(), "6");

    // Mute: channel 0 and out of the allocation; unmuted it takes the next free channel.
    u.click(ens.chkMute(0));
    EXPECT_EQ(ens.txtChannel(0).Text(), "0");
    EXPECT_EQ(ens.txtChannel(1).Text(), "1");
    u.click(ens.chkMute(0));
    EXPECT_EQ(ens.txtChannel(0).Text(), "1");
    EXPECT_EQ(ens.txtChannel(1).Text(), "2");

    // The percussion row alone names the ensemble after the kit and disables Full Range.
    u.click(ens.chkActive(15));
    u.click(ens.chkActive(0));
    u.click(ens.chkActive(1));
    EXPECT_EQ(ens.txtPatchMap.Text(), "Percussion - Basic Kit");
    EXPECT_FALSE(ens.cmdFullRange.Enabled());
}

TEST_F(InstrumentEditors, EnsembleTellsAChannelShortageOnce) {
    Global& g = G();
    g.EnsActive.fill(1);
    g.ChannelUsed[16] = true;
    g.EnsChannel.fill(1);
    g.EnsChannel[15] = 10;
    frmEns& ens = ensemble();
    auto u = ui.user();
    ui.expectBox(Box("Not enough MIDI channels available for Rerar Odaduza. Some channels have "
                     "been muted.",
                     "Rerar Odaduza", ui::Exclamation, 194))
        .answer(ui::OK);
    u.type(ens.txtChannel(3), "\b5");
    EXPECT_EQ(ens.txtChannel(13).Text(), "15");
    EXPECT_EQ(ens.txtChannel(14).Text(), "0");
    EXPECT_EQ(ens.chkMute(14).Value(), 1);
    EXPECT_EQ(ui.boxes().size(), 1u);
}

// A muted row given a channel back by its arrow or by typing moves past the channels the other
// active rows hold, as unticking Mute does; Save As and OK keep the channels the boxes show.
TEST_F(InstrumentEditors, EnsembleRowGivenAChannelBackTakesAFreeOne) {
    struct Case {
        const char* name;
        std::function<void(frmEns&, ui::test::User&)> giveBack;
    } cases[] = {
        {"the up arrow", [](frmEns& e, ui::test::User& u) { u.spin(e.spnChannel(1), ui::Up); }},
        {"typing 1", [](frmEns& e, ui::test::User& u) { u.type(e.txtChannel(1), "1"); }},
        {"typing over the box",
         [](frmEns& e, ui::test::User& u) { u.type(e.txtChannel(1), "\b1"); }},
        {"unticking Mute", [](frmEns& e, ui::test::User& u) { u.click(e.chkMute(1)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Global& g = G();
        g.EnsActive = {1, 1};
        g.EnsActive[15] = 0;
        g.EnsPatch = {25, 40};
        g.EnsChannel = {1, 2};
        frmEns& ens = ensemble();
        auto u = ui.user();
        u.click(ens.chkMute(1));
        ASSERT_EQ(ens.txtChannel(1).Text(), "0");
        c.giveBack(ens, u);
        EXPECT_EQ(ens.txtChannel(0).Text(), "1");
        EXPECT_EQ(ens.txtChannel(1).Text(), "2");
        EXPECT_EQ(ens.chkMute(1).Value(), 0);

        const std::string path = (dir / (std::string(c.name) + ".ens")).string();
        ui.expectFileDialog({.title = "Save Ensemble As"}).choose(path);
        u.click(ens.cmdSaveAs);
        const EnsembleFile saved = ReadEnsembleFile(path);
        EXPECT_EQ(saved.rows[0].channel, 1);
        EXPECT_EQ(saved.rows[1].channel, 2);
        u.click(ens.cmdOK);
        EXPECT_EQ(g.EnsChannel[0], 1);
        EXPECT_EQ(g.EnsChannel[1], 2);
        EXPECT_TRUE(ui.boxes().empty());
        ui::Release<frmEns>();
    }
}

TEST_F(InstrumentEditors, EnsembleRangesRefuseBadNamesAndHoldTheirEnds) {
    G().EnsActive = {1};
    frmEns& ens = ensemble();
    auto u = ui.user();
    ui.expectBox(Box("Invalid Low Note.", "Edit Ensemble", ui::Exclamation, 95)).answer(ui::OK);
    u.type(ens.txtKeyMin(0), "\b\b\b\bH5");
    EXPECT_FALSE(u.click(ens.cmdOK));  // the refused box keeps the focus
    EXPECT_EQ(ens.ActiveControl(), &ens.txtKeyMin(0));
    EXPECT_EQ(G().RowKeyMin[0], 21);

    u.type(ens.txtKeyMin(0), "\b\b\b\bC9");  // above the high note: becomes the high note
    u.focus(ens.txtPoly(0));
    EXPECT_EQ(G().RowKeyMin[0], G().RowKeyMax[0]);
    u.type(ens.txtKeyMin(0), "\b\b\b\bC5");
    u.type(ens.txtKeyMax(0), "\b\b\b\bA3");  // below the low note: becomes the low note
    u.focus(ens.txtPoly(0));
    EXPECT_EQ(G().RowKeyMax[0], 60);
    EXPECT_EQ(ens.sldNoteRange(0).SelStart(), 60);
    EXPECT_EQ(ens.sldNoteRange(0).SelLength(), 0);
}

TEST_F(InstrumentEditors, EnsembleCancelRestoresTheKitAndOkCommits) {
    Global& g = G();
    g.EnsActive = {1};
    g.EnsActive[15] = 1;
    const std::string kitFile = (dir / "Jazz.vdk").string();
    test::writeFile(kitFile, "[midi]\nDrumKit=36,40,\n[pitch]\nPoly=5\n");
    {
        frmEns& ens = ensemble();
        ens.LoadDrumKit(kitFile);
        EXPECT_EQ(g.EnsDrumKit, "36,40,");
        ui.user().click(ens.cmdCancel);
    }
    EXPECT_EQ(g.EnsDrumKit, "35,38,42,47,57,");
    EXPECT_EQ(g.EnsPoly[15], 4);
    EXPECT_FALSE(g.EnsembleApplied);
    ui::Release<frmEns>();

    frmEns& ens = ensemble();
    ens.LoadDrumKit(kitFile);
    ui.user().click(ens.cmdOK);  // OK commits even with Apply disabled
    EXPECT_TRUE(g.EnsembleApplied);
    EXPECT_EQ(g.EnsDrumKit, "36,40,");
    EXPECT_EQ(g.EnsKitName, "Jazz");
    EXPECT_EQ(g.EnsPoly[15], 5);
}

TEST_F(InstrumentEditors, EnsembleSaveAsAndLoadAnOlderLayout) {
    Global& g = G();
    g.EnsActive = {1, 1};
    g.EnsPatch = {25, 40};
    frmEns& ens = ensemble();
    auto u = ui.user();
    u.type(ens.txtPoly(1), "\b\b");  // an emptied polyphony is saved as 1
    const std::string path = (dir / "Duo.ens").string();
    ui.expectFileDialog({.title = "Save Ensemble As", .flags = 2054, .defaultExt = ".ens"})
        .choose(path);
    u.click(ens.cmdSaveAs);
    const EnsembleFile saved = ReadEnsembleFile(path);
    EXPECT_EQ(saved.rows[0].patch, 25);
    EXPECT_EQ(saved.rows[1].patch, 40);
    EXPECT_EQ(saved.rows[1].poly, 1);
    EXPECT_EQ(saved.rows[0].active, 1);
    EXPECT_EQ(saved.rows[2].active, 0);
    EXPECT_EQ(ens.txtPatchMap.Text(), "Duo");

    const std::string old = (dir / "Old.vpm").string();
    test::writeFile(old, "[other]\nActive0=1\nActive15=1\n[midi]\nChannel15=5\n");
    ui.expectFileDialog({.title = "Open Ensemble", .flags = 4100}).choose(old);
    u.click(ens.cmdLoad);
    EXPECT_EQ(ens.chkActive(15).Value(), 0);
    EXPECT_EQ(ens.txtChannel(15).Text(), "10");
    EXPECT_EQ(ens.txtPoly(15).Text(), "3");
    EXPECT_EQ(ens.txtChannel(14).Text(), "16");
    EXPECT_EQ(ens.txtChannel(0).Text(), "1");
    EXPECT_FALSE(ens.cmdApply.Enabled());
    EXPECT_FALSE(ens.cmdSaveAs.Enabled());
    EXPECT_TRUE(ui.boxes().empty());
}

// Previews go out with MIDI errors suppressed: a device that fails to open shows no box.
TEST_F(InstrumentEditors, PreviewsOnAFailingDeviceStayQuiet) {
    midi.openResult = 68;
    G().EnsActive = {1};
    frmEns& ens = ensemble();
    frmDrum& kit = drumKit();
    auto u = ui.user();
    u.click(kit.chkDrum(36 - 27));
    u.type(ens.txtKeyMax(0), "\b\b\b\bC6");
    u.focus(ens.txtPoly(0));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(G().RowKeyMax[0], 72);
}

TEST_F(InstrumentEditors, CoverageStripAndRowScrolling) {
    Global& g = G();
    g.EnsActive = {1, 1};
    g.EnsKeyMin = {40, 50};
    g.EnsKeyMax = {60, 70};
    frmEns& ens = ensemble();
    const double w = ens.NoteWidth;
    const double y = ens.picPitchRange.ScaleHeight() / 2;
    // The master range comes from the settings dialog's note boxes.
    const int masterLow = g.RowKeyMin[frmEns::kMasterRange];
    const int masterHigh = g.RowKeyMax[frmEns::kMasterRange];
    ASSERT_LT(masterLow, 50);
    ASSERT_GT(masterHigh, 60);
    EXPECT_EQ(ens.picPitchRange.Point(55 * w, y), 0x00FFFF);  // two rows: yellow
    EXPECT_EQ(ens.picPitchRange.Point(65 * w, y), 0x00FF00);  // one row: green
    if (masterHigh < 127) {
        EXPECT_EQ(ens.picPitchRange.Point(127 * w - 1, y), 0xFFFFFF);  // uncovered outside: white
    }

    ens.scrGrid.setValue(3);
    EXPECT_FALSE(ens.fraGrid(2).Visible());
    EXPECT_TRUE(ens.fraGrid(3).Visible());
    EXPECT_EQ(ens.fraGrid(3).Top(), 600);
    EXPECT_EQ(ens.fraGrid(10).Top(), 600 + 7 * 480);
    EXPECT_FALSE(ens.fraGrid(11).Visible());
}

}  // namespace
}  // namespace velt::desk

// The whole road of a tapped tempo: four taps 500 ms apart in the settings dialog while the audio
// plays, the Tap Extender answered with both boxes unticked, the project saved with its tap file,
// and the program converting it from the command line with the tempo of the taps. With
// VELT_E2E_OUT set, the project is kept there as tap.vpr and tap.tt.
#include <cstdlib>
#include <optional>

#include "desk/settings/frm_properties.h"
#include "desk/settings/frm_tapper.h"
#include "main_window_fixture.h"
#include "midicsv_reader.h"
#include "platform/profile/profile.h"
#include "platform/wave_io/clock_wave_out.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

class TapEndToEnd : public MainWindowTest {
  protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        platform::wave_out::useDevices(nullptr);
        output_.reset();
    }

    // The audio plays on a wave output that follows the test clock; the tone the taps follow is
    // made at `tone`.
    bool playOnTheTestClock(const std::string& tone) {
        output_.emplace(&ui::runtime().clock());
        platform::wave_out::useDevices(&*output_);
        return soxWave(tone, "synth 4 pluck 440");
    }

  private:
    std::optional<platform::wave_out::ClockWaveOut> output_;
};

TEST_F(TapEndToEnd, TappedTempoIsSavedAndFollowedByTheConversion) {
    frmMain& f = start();
    const std::string tone = (dir / "music" / "tap tone.wav").string();
    ASSERT_TRUE(playOnTheTestClock(tone));
    enableProjectEditing(f);

    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        ui.expectFileDialog({.title = "Select Audio File", .flags = 4}).choose(tone);
        u.click(p.cmdWaveBrowse);
        u.selectTab(p.tabProperties, 2);
        u.click(p.chkTempoDetect);
        u.type(p.txtTempo, "90");  // a nominal tempo the taps must replace
        u.type(p.txtTimeNum, "4");
        u.click(p.cmdPlay);
        ui.advance(1000);
        for (int tap = 0; tap < 4; ++tap) {
            if (tap > 0) ui.advance(500);
            u.click(p.cmdTempoTapper);
        }
        ui.onModal<frmTapper>([](frmTapper& t, ui::test::User& tu) { tu.click(t.cmdOK); });
        u.click(p.cmdStop);
        EXPECT_EQ(p.txtTempo.Text(), "120");
        u.click(p.cmdOK);
    });
    editProjectWithoutConverting(f);

    const std::string project = (dir / "tap.vpr").string();
    saveProjectAs(f, project);
    ASSERT_TRUE(fs::exists(project));
    const std::vector<unsigned char> taps = test::readBytes(dir / "tap.tt");
    EXPECT_EQ(taps, (std::vector<unsigned char>{0xF4, 0x01, 0xF4, 0x01, 0xF4, 0x01}));
    EXPECT_EQ(platform::profile::readString("audio", "StartPoint", "", project), "1");
    if (const char* keep = std::getenv("VELT_E2E_OUT"); keep != nullptr && *keep != '\0') {
        fs::create_directories(keep);
        fs::copy_file(project, fs::path(keep) / "tap.vpr", fs::copy_options::overwrite_existing);
        fs::copy_file(dir / "tap.tt", fs::path(keep) / "tap.tt",
                      fs::copy_options::overwrite_existing);
    }

    EXPECT_EQ(convertFromCommandLine(project), 0);
    const std::string mid = (dir / "music" / "tap tone.mid").string();
    ASSERT_TRUE(fs::exists(mid));
    const test::MidiContents midi = test::readMidi(mid);
    EXPECT_TRUE(midi.hasTempo(500000)) << midi.text;
    EXPECT_FALSE(midi.hasTempo(666666)) << "not the nominal 90 BPM";
}

// "Extend tapping to the BEGINNING": whole measures of the tapped beat are put before the first
// tap, so the first beat lies before the audio; the start box shows 00:00:00 and the project
// keeps the negative start the tap file counts from.
TEST_F(TapEndToEnd, TapsExtendedToTheBeginningSaveTheirStart) {
    frmMain& f = start();
    const std::string tone = (dir / "music" / "tap tone.wav").string();
    ASSERT_TRUE(playOnTheTestClock(tone));
    enableProjectEditing(f);

    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        ui.expectFileDialog({.title = "Select Audio File", .flags = 4}).choose(tone);
        u.click(p.cmdWaveBrowse);
        u.selectTab(p.tabProperties, 2);
        u.click(p.chkTempoDetect);
        u.type(p.txtTimeNum, "4");
        u.click(p.cmdPlay);
        ui.advance(1000);
        for (int tap = 0; tap < 4; ++tap) {
            if (tap > 0) ui.advance(500);
            u.click(p.cmdTempoTapper);
        }
        ui.onModal<frmTapper>([](frmTapper& t, ui::test::User& tu) {
            tu.click(t.chkStart);
            tu.click(t.cmdOK);
        });
        u.click(p.cmdStop);
        EXPECT_EQ(p.txtStartPoint.Text(), "00:00:00");
        u.click(p.cmdOK);
    });
    editProjectWithoutConverting(f);

    const std::string project = (dir / "tap.vpr").string();
    saveProjectAs(f, project);
    // One measure of four beats before the first tap at 1 s: the first beat at -1 s.
    EXPECT_EQ(platform::profile::readString("audio", "StartPoint", "", project), "-1");
    EXPECT_EQ(platform::profile::readString("audio", "EndPoint", "", project), "2.5");
    const std::vector<unsigned char> gap{0xF4, 0x01};
    std::vector<unsigned char> sevenGaps;
    for (int i = 0; i < 7; ++i) sevenGaps.insert(sevenGaps.end(), gap.begin(), gap.end());
    EXPECT_EQ(test::readBytes(dir / "tap.tt"), sevenGaps);

    EXPECT_EQ(convertFromCommandLine(project), 0);
    const test::MidiContents midi = test::readMidi(dir / "music" / "tap tone.mid");
    EXPECT_TRUE(midi.hasTempo(500000)) << midi.text;
}

}  // namespace
}  // namespace velt::desk

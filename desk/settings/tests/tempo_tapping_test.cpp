// Tempo tapping on the script clock with the dialog's media control playing on the clock-time
// output double: the tempo and the gaps of a take, the verdicts of Stop, the Tap Extender's
// padding, a tab change during a take, the end of playback, and Play without audio or sound.
#include <gtest/gtest.h>

#include "desk/settings/frm_tapper.h"
#include "platform/clock/mm_time.h"
#include "platform/mci/mci_error.h"
#include "platform/wave_io/clock_wave_out.h"
#include "settings_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using Kind = platform::wave_out::ClockWaveOut::Event::Kind;

class TempoTapping : public SettingsTest {
  protected:
    void SetUp() override {
        SettingsTest::SetUp();
        platform::wave_out::useDevices(&output);
        periods = platform::timePeriodsOpen();
    }
    void TearDown() override {
        EXPECT_EQ(platform::timePeriodsOpen(), periods) << "timer periods left open";
        SettingsTest::TearDown();
        platform::wave_out::useDevices(nullptr);
    }

    // The dialog over a project whose audio is `seconds` of 8 kHz mono sound.
    frmProperties& withAudio(int seconds = 70, const std::string& beats = "4") {
        const std::string wav = sox("song.wav", "-r 8000 -c 1 -b 16",
                                    "synth " + std::to_string(seconds) + " sine 440 vol 0.5");
        Global& g = G();
        g.AudioFileCount = 1;
        g.AudioFiles.redim(1);
        g.MidiFiles.redim(1);
        g.AudioFiles(1) = wav;
        frmProperties& f = dialog();
        f.ExactAudioSeconds = static_cast<float>(seconds);
        f.txtTimeNum.setText(beats);
        return f;
    }

    // Plays, waits `firstMs`, then taps after each of `gaps` (the first tap comes at firstMs).
    void take(frmProperties& f, int64_t firstMs, const std::vector<int64_t>& gaps) {
        f.cmdPlay_Click();
        ASSERT_FALSE(f.cmdPlay.Enabled());
        ui.advance(firstMs);
        f.cmdTempoTapper_Click();
        for (int64_t gap : gaps) {
            ui.advance(gap);
            f.cmdTempoTapper_Click();
        }
    }

    // The Tap Extender answered by ticking the boxes given, then OK (or Cancel).
    void answerExtender(bool toStart, bool toEnd, bool cancel = false) {
        ui.onModal<frmTapper>([=](frmTapper& t, ui::test::User& u) {
            if (toStart) u.click(t.chkStart);
            if (toEnd) u.click(t.chkEnd);
            u.click(cancel ? t.cmdCancel : t.cmdOK);
        });
    }

    static std::string gaps(std::initializer_list<int> ms) {
        std::string out;
        for (int g : ms) {
            out += static_cast<char>(g & 0xFF);
            out += static_cast<char>(g >> 8);
        }
        return out;
    }

    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
    int32_t periods = 0;
};

TEST_F(TempoTapping, FourTapsHalfASecondApartGive120AndThreeGaps) {
    frmProperties& f = withAudio();
    answerExtender(false, false);
    take(f, 2500, {500, 500, 500});
    EXPECT_EQ(f.TapCount, 4);
    EXPECT_EQ(f.txtTempo.Text(), "120") << "the tempo of the taps up to the previous one";
    f.cmdStop_Click();
    EXPECT_FLOAT_EQ(f.WorkTempo, 120.0f);
    EXPECT_EQ(f.txtTempo.Text(), "120");
    EXPECT_EQ(f.WorkTaps, std::string("\xF4\x01\xF4\x01\xF4\x01", 6));
    EXPECT_FLOAT_EQ(f.WorkStart, 2.5f);
    EXPECT_EQ(f.TapStatus, 4);
    EXPECT_EQ(f.txtStartPoint.Text(), "00:00:02");
    EXPECT_EQ(f.txtEndPoint.Text(), "00:00:04");  // the last tap, at 4 s
    EXPECT_EQ(f.chkTempoDetect.Value(), 0);
    EXPECT_EQ(f.lblBeatCountVal.Caption(), "1:4");
    EXPECT_TRUE(f.cmdPlay.Enabled());
    EXPECT_FALSE(f.cmdStop.Enabled());
    EXPECT_FALSE(f.cmdTempoTapper.Enabled());
    // The take played ~temp.wav from its start and stopped at the Stop.
    ASSERT_GE(output.events.size(), 3u);
    EXPECT_EQ(output.events[0].kind, Kind::Open);
    EXPECT_EQ(output.events[0].sampleRate, 8000);
    EXPECT_EQ(output.events[1].kind, Kind::Play);
    EXPECT_EQ(output.events[1].first, 0);
    EXPECT_EQ(output.framesPlayed(1), 4000 * 8);
    EXPECT_TRUE(fs::exists(G().TempFolder + "/~temp.wav"));
}

TEST_F(TempoTapping, VerdictsOfStop) {
    struct Case {
        const char* name;
        std::vector<int64_t> gaps;  // -1: no tap at all
        std::optional<std::string> box;
        long help;
        bool accepted;
        std::string taps;
        std::string tempo;
    } cases[] = {
        {"no tap: nothing said, taps kept", {-1}, std::nullopt, 0, false, "", ""},
        {"a single tap",
         {},
         "Not enough taps.  New tempo recording will be discarded.",
         115,
         false,
         "",
         ""},
        {"two taps", {400}, std::nullopt, 0, true, gaps({400}), "150"},
        {"a gap of 65534 ms is kept", {65534}, std::nullopt, 0, true, gaps({65534}), "5"},
        {"a gap of 65535 ms ends the take",
         {500, 65535},
         "You waited too long between taps.  New tempo recording will be discarded.",
         114,
         false,
         "",
         ""},
        {"two taps in one millisecond: the later is ignored",
         {0, 500, 500},
         std::nullopt,
         0,
         true,
         gaps({500, 500}),
         "120"},
        {"very fast taps stay in the tempo box's range",
         {10},
         std::nullopt,
         0,
         true,
         gaps({10}),
         "1080"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frmProperties& f = withAudio(140);
        f.WorkTaps = "old";
        const std::string tempoBefore = f.txtTempo.Text();
        if (c.box) {
            ui.expectBox({.text = *c.box, .title = "Project", .icon = 48, .help = c.help})
                .answer(ui::OK);
        }
        if (c.accepted) answerExtender(false, false);
        if (c.gaps == std::vector<int64_t>{-1}) {
            f.cmdPlay_Click();
            ui.advance(1000);
        } else {
            take(f, 1000, c.gaps);
        }
        if (f.cmdStop.Enabled()) f.cmdStop_Click();
        EXPECT_FALSE(f.cmdStop.Enabled());
        EXPECT_EQ(f.WorkTaps, c.accepted ? c.taps : "old");
        EXPECT_EQ(f.txtTempo.Text(), c.accepted ? c.tempo : tempoBefore);
        ui::Release<frmProperties>();
        fs::remove(dir / "song.wav");
    }
}

TEST_F(TempoTapping, TheTapExtenderPadsBackToTheStartAndSetsTheEnd) {
    struct Case {
        const char* name;
        std::string beats;
        int64_t firstMs;
        bool toStart, toEnd, cancel;
        int pad;  // beats of 500 ms put before the tapped gaps
        float start;
        std::string startBox, endBox;
    } cases[] = {
        {"4/4, first tap at 2.5 s", "4", 2500, true, false, false, 8, -1.5f, "00:00:00",
         "00:00:04"},
        {"Auto beats, first tap at 1.2 s", "Auto", 1200, true, true, false, 3, -0.3f, "00:00:00",
         "00:01:10"},
        {"Cancel keeps the first and last tap", "4", 2500, true, true, true, 0, 2.5f, "00:00:02",
         "00:00:04"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frmProperties& f = withAudio(70, c.beats);
        answerExtender(c.toStart, c.toEnd, c.cancel);
        take(f, c.firstMs, {500, 500, 500});
        f.cmdStop_Click();
        std::string expected;
        for (int i = 0; i < c.pad + 3; ++i) expected += gaps({500});
        EXPECT_EQ(f.WorkTaps, expected);
        EXPECT_NEAR(f.WorkStart, c.start, 1e-4);
        EXPECT_EQ(f.txtStartPoint.Text(), c.startBox);
        EXPECT_EQ(f.txtEndPoint.Text(), c.endBox);
        EXPECT_EQ(f.BeatCount, c.pad + 3);
        ui::Release<frmProperties>();
        fs::remove(dir / "song.wav");
    }
}

TEST_F(TempoTapping, ATabChangeCancelsAndTheEndOfPlaybackStops) {
    frmProperties& f = withAudio(3);
    f.WorkTaps = "old";
    ui.expectBox({.text = "Tempo recording canceled and will be discarded.",
                  .title = "Project",
                  .icon = 64,
                  .help = 0})
        .answer(ui::OK);
    take(f, 500, {500});
    f.tabProperties_Click(2);
    EXPECT_EQ(f.TapStatus, -2);
    EXPECT_EQ(f.WorkTaps, "old");
    EXPECT_FALSE(f.cmdTempoTapper.Enabled());

    // Played to its end, the audio stops the take by itself (and only once).
    answerExtender(false, false);
    take(f, 500, {500, 500});
    ui.advance(5000);
    EXPECT_FALSE(f.cmdStop.Enabled());
    EXPECT_EQ(f.TapStatus, 3);
    EXPECT_EQ(f.WorkTaps, gaps({500, 500}));
    EXPECT_EQ(f.txtEndPoint.Text(), "00:00:01");
}

TEST_F(TempoTapping, PlayWithoutAudioOrSoundShowsTheOpenErrorAndChangesNothing) {
    frmProperties& f = withAudio(2);
    const std::string temp = G().TempFolder + "/~temp.wav";
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string title;
        int32_t error;
    } cases[] = {
        {"no audio file at all", [&] { f.CurrentAudioFile = ""; }, "Open",
         platform::mci::kMciFileNotFound},
        {"a missing file", [&] { f.CurrentAudioFile = (dir / "gone.wav").string(); }, "Open",
         platform::mci::kMciFileNotFound},
        {"a float WAV",
         [&] { f.CurrentAudioFile = sox("float.wav", "-r 8000 -c 1 -e float -b 32"); }, "Open",
         platform::mci::kMciFormatNotSupported},
        {"a WAV cut in its header",
         [&] {
             test::writeFile(dir / "cut.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
             f.CurrentAudioFile = (dir / "cut.wav").string();
         },
         "Open", platform::mci::kMciInvalidFile},
        {"no sound device",
         [&] {
             f.CurrentAudioFile = (dir / "song.wav").string();
             static platform::wave_out::ClockWaveOut none(nullptr, 0);
             platform::wave_out::useDevices(&none);
         },
         "Open", platform::mci::kMciNoDevice},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        std::string text;
        platform::mci::mciGetErrorString(c.error, text);
        ui.expectBox({.text = text, .title = c.title, .icon = 48, .help = 97}).answer(ui::OK);
        f.cmdPlay_Click();
        EXPECT_TRUE(f.cmdPlay.Enabled());
        EXPECT_FALSE(f.cmdStop.Enabled());
        EXPECT_FALSE(f.cmdTempoTapper.Enabled());
        EXPECT_EQ(f.MMControl.Mode(), 524);
        if (f.CurrentAudioFile.empty()) {
            EXPECT_FALSE(fs::exists(temp)) << "nothing was copied";
        }
    }

    // The audio file is the working copy itself: it plays as it is, not truncated.
    platform::wave_out::useDevices(&output);
    fs::copy_file(dir / "song.wav", temp, fs::copy_options::overwrite_existing);
    const auto size = fs::file_size(temp);
    f.CurrentAudioFile = temp;
    f.cmdPlay_Click();
    EXPECT_EQ(f.MMControl.Mode(), 526);
    EXPECT_EQ(fs::file_size(temp), size);
    f.cmdStop_Click();
}

}  // namespace
}  // namespace velt::desk

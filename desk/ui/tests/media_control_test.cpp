// The media control over the multimedia layer's doubles: Done only after a natural end, the mode
// while playing, StatusUpdate on the clock (also with no device), From, To and Length in ms,
// Cancel in a button's click, our own error texts, and the bar's Qt buttons.
#include "desk/ui/media_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeySequence>
#include <QTest>
#include <QToolButton>

#include "desk/ui/testing/script.h"
#include "installed_devices.h"
#include "platform/clock/mm_time.h"
#include "platform/mci/mci_error.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/clock_wave_out.h"
#include "test_support.h"

namespace velt::ui {
namespace {

class frmMedia : public Form {
  public:
    frmMedia() : Form("frmMedia") {
        mmAudio.Done = [this](int code) { done.emplace_back(runtime().clock().nowMs(), code); };
        mmAudio.StatusUpdate = [this] { updates.push_back(runtime().clock().nowMs()); };
        mmAudio.PlayClick = [this](int& cancel) { cancel = cancelClicks; };
        mmAudio.StopClick = [this](int& cancel) { cancel = cancelClicks; };
    }
    MediaControl mmAudio{this, "mmAudio"};
    std::vector<std::pair<int64_t, int>> done;
    std::vector<int64_t> updates;
    int cancelClicks = 0;

  protected:
    void design() override {
        setCaption("Media");
        Move(0, 0, 4800, 1200);
        mmAudio.Move(120, 120, 4200, 420);
        mmAudio.setDeviceType("WaveAudio");
    }
};

class MediaControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::wave_out::useDevices(&output);
        auto run = velt::test::runCommand(
            "sox -D -n -r 8000 -c 1 -b 16 " +
            velt::test::shellQuote((dir / "two seconds.wav").string()) + " synth 2 sine 440 2>&1");
        ASSERT_EQ(run.exitCode, 0) << run.output;
        wav = (dir / "two seconds.wav").string();
    }
    void TearDown() override { platform::wave_out::useDevices(nullptr); }

    frmMedia& openForm() {
        auto& f = forms::get<frmMedia>();
        f.Show();
        f.mmAudio.setFileName(wav);
        f.mmAudio.setCommand("Open");
        EXPECT_EQ(f.mmAudio.Error(), 0) << f.mmAudio.ErrorMessage();
        return f;
    }

    test::Script ui;
    velt::test::TempDir dir;
    platform::wave_out::ClockWaveOut output{&runtime().clock()};
    std::string wav;
};

TEST_F(MediaControlTest, DoneComesOnlyAfterANaturalEnd) {
    auto& f = openForm();
    EXPECT_EQ(f.mmAudio.Length(), 2000);
    EXPECT_EQ(f.mmAudio.Mode(), 525);
    f.mmAudio.setCommand("Play");
    EXPECT_EQ(f.mmAudio.Mode(), 526);
    ui.advance(1999);
    EXPECT_TRUE(f.done.empty());
    EXPECT_EQ(f.mmAudio.Position(), 1999);
    ui.advance(1);
    EXPECT_EQ(f.done, (std::vector<std::pair<int64_t, int>>{{2000, 1}}));
    EXPECT_EQ(f.mmAudio.Mode(), 525);

    struct Case {
        const char* name;
        std::function<void()> interrupt;
    } cases[] = {
        {"Stop", [&] { f.mmAudio.setCommand("Stop"); }},
        {"Close", [&] { f.mmAudio.setCommand("Close"); }},
        {"a new Open", [&] { f.mmAudio.setCommand("Open"); }},
        {"Notify off", [&] { f.mmAudio.setNotify(false); }},
        {"Pause (no Done while paused)", [&] { f.mmAudio.setCommand("Pause"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        f.done.clear();
        if (f.mmAudio.Mode() == 524) f.mmAudio.setCommand("Open");
        f.mmAudio.setNotify(true);
        f.mmAudio.setFrom(0);
        f.mmAudio.setCommand("Play");
        ui.advance(500);
        c.interrupt();
        ui.advance(5000);
        EXPECT_TRUE(f.done.empty());
    }
    // Resumed by a second Pause, the take plays on to its end and Done comes.
    EXPECT_EQ(f.mmAudio.Mode(), 529);
    f.mmAudio.setCommand("Pause");
    EXPECT_EQ(f.mmAudio.Mode(), 526);
    ui.advance(1500);
    EXPECT_EQ(f.done.size(), 1u);
    // A new Play cancels the Done of the one before.
    f.done.clear();
    f.mmAudio.setFrom(0);
    f.mmAudio.setCommand("Play");
    ui.advance(1000);
    f.mmAudio.setFrom(1500);
    f.mmAudio.setCommand("Play");
    ui.advance(600);
    EXPECT_EQ(f.done.size(), 1u);
}

TEST_F(MediaControlTest, FromAndToInMillisecondsClampedToTheLength) {
    auto& f = openForm();
    struct Case {
        const char* name;
        std::optional<long> from, to;
        int64_t first, end;  // the frames played (8 per ms)
    } cases[] = {
        {"from and to", 250, 1000, 2000, 8000},
        {"to past the length", 1000, 99999, 8000, 16000},
        {"negative from", -40, 10, 0, 80},
        {"from only", 1900, std::nullopt, 15200, 16000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.from) f.mmAudio.setFrom(*c.from);
        if (c.to) f.mmAudio.setTo(*c.to);
        f.mmAudio.setCommand("Play");
        EXPECT_EQ(f.mmAudio.Error(), 0);
        EXPECT_EQ(output.events.back().first, c.first);
        EXPECT_EQ(output.events.back().end, c.end);
        f.mmAudio.setCommand("Stop");
    }
    // From and To held for one command only: Play goes on from the position to the end.
    f.mmAudio.setCommand("Play");
    EXPECT_EQ(output.events.back().end, 16000);
}

TEST_F(MediaControlTest, StatusUpdateEveryIntervalAlsoWithoutADevice) {
    auto& f = forms::get<frmMedia>();
    f.Show();
    EXPECT_EQ(f.mmAudio.Mode(), 524);
    f.mmAudio.setUpdateInterval(1000);
    ui.advance(3500);
    EXPECT_EQ(f.updates, (std::vector<int64_t>{1000, 2000, 3000}));
    EXPECT_EQ(platform::timeGetTime(), 3500u) << "the multimedia clock is the runtime's";
    f.mmAudio.setUpdateInterval(1);
    ui.advance(5);
    EXPECT_EQ(f.updates.size(), 8u);
    f.mmAudio.setUpdateInterval(0);
    ui.advance(1000);
    EXPECT_EQ(f.updates.size(), 8u);
    f.mmAudio.setUpdateInterval(100);
    f.unload();
    ui.advance(1000);
    EXPECT_EQ(f.updates.size(), 8u) << "an unloaded form gets no updates";
}

TEST_F(MediaControlTest, ButtonsRunTheirCommandUnlessCancelled) {
    auto& f = openForm();
    f.cancelClicks = 1;
    EXPECT_TRUE(f.mmAudio.userClick(MediaControl::Play));
    EXPECT_EQ(f.mmAudio.Mode(), 525) << "cancelled: the control did nothing";
    f.cancelClicks = 0;
    // Through the bar's own Qt button.
    auto* play = f.mmAudio.widget()->findChild<QToolButton*>("Play");
    ASSERT_NE(play, nullptr);
    EXPECT_FALSE(play->icon().isNull());
    play->click();
    EXPECT_EQ(f.mmAudio.Mode(), 526);
    f.mmAudio.setStopEnabled(false);
    EXPECT_FALSE(f.mmAudio.userClick(MediaControl::Stop));
    EXPECT_FALSE(f.mmAudio.widget()->findChild<QToolButton*>("Stop")->isEnabled());
    EXPECT_EQ(f.mmAudio.Mode(), 526);
    f.mmAudio.setStopEnabled(true);
    EXPECT_TRUE(f.mmAudio.userClick(MediaControl::Stop));
    EXPECT_EQ(f.mmAudio.Mode(), 525);
    // A button whose command the device lacks sets Error with our text.
    EXPECT_TRUE(f.mmAudio.userClick(MediaControl::Eject));
    EXPECT_EQ(f.mmAudio.Error(), platform::mci::kMciUnknownCommand);
    EXPECT_FALSE(f.mmAudio.ErrorMessage().empty());
    std::vector<std::string> trace = ui.trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "mmAudio_PlayClick 0"), 2)
        << ::testing::PrintToString(trace);
}

TEST_F(MediaControlTest, OpenErrorsAndTheSequencer) {
    auto& f = forms::get<frmMedia>();
    f.Show();
    struct Case {
        const char* name;
        std::string type, file;
        long error;
    } cases[] = {
        {"missing file", "WaveAudio", (dir / "none.wav").string(), platform::mci::kMciFileNotFound},
        {"not a WAV file", "WaveAudio", "/etc/hostname", platform::mci::kMciInvalidFile},
        {"CD audio opens nothing", "CDAudio", wav, platform::mci::kMciNoDevice},
        {"no file name", "WaveAudio", "", platform::mci::kMciFileNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        f.mmAudio.setDeviceType(c.type);
        f.mmAudio.setFileName(c.file);
        f.mmAudio.setCommand("Open");
        EXPECT_EQ(f.mmAudio.Error(), c.error);
        std::string text;
        platform::mci::mciGetErrorString(static_cast<int32_t>(c.error), text);
        EXPECT_EQ(f.mmAudio.ErrorMessage(), text);
        EXPECT_EQ(f.mmAudio.Mode(), 524);
        f.mmAudio.setCommand("Play");
        EXPECT_NE(f.mmAudio.Error(), 0);
    }
    // A sequence: Done at its end, timed by the runtime clock.
    velt::test::InstalledDevices<platform::midi_out::RecordingMidiOut> midi;
    velt::test::writeFile(dir / "m.csv",
                          "0, 0, Header, 0, 1, 96\n1, 0, Start_track\n"
                          "1, 0, Note_on_c, 0, 60, 90\n1, 192, Note_off_c, 0, 60, 0\n"
                          "1, 192, End_track\n0, 0, End_of_file\n");
    ASSERT_EQ(velt::test::runCommand("csvmidi " + velt::test::shellQuote((dir / "m.csv").string()) +
                                     " " + velt::test::shellQuote((dir / "m.mid").string()))
                  .exitCode,
              0);
    f.mmAudio.setDeviceType("Sequencer");
    f.mmAudio.setFileName((dir / "m.mid").string());
    f.mmAudio.setCommand("Open");
    ASSERT_EQ(f.mmAudio.Error(), 0);
    EXPECT_EQ(f.mmAudio.Length(), 1000);
    const int64_t start = ui.now();
    f.mmAudio.setCommand("Play");
    ui.advance(2000);
    EXPECT_EQ(f.done, (std::vector<std::pair<int64_t, int>>{{start + 1000, 1}}));
    f.unload();
}

// Under the real clock the device's notices come through Qt's event loop (bounded wait, no
// assertion on how long they took).
TEST(MediaControlRealClock, DoneArrivesThroughTheEventLoop) {
    velt::test::TempDir dir;
    auto run = velt::test::runCommand("sox -D -n -r 8000 -c 1 -b 16 " +
                                      velt::test::shellQuote((dir / "short.wav").string()) +
                                      " synth 0.05 sine 440 2>&1");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    velt::test::InstalledDevices<platform::wave_out::ClockWaveOut> output;  // the real clock
    {
        auto& f = forms::get<frmMedia>();
        f.mmAudio.setFileName((dir / "short.wav").string());
        f.mmAudio.setCommand("Open");
        ASSERT_EQ(f.mmAudio.Error(), 0);
        f.mmAudio.setUpdateInterval(10);
        f.mmAudio.setCommand("Play");
        for (int i = 0; i < 5000 && f.done.empty(); ++i) WaitFor(1);
        EXPECT_EQ(f.done.size(), 1u);
        EXPECT_FALSE(f.updates.empty());
        EXPECT_EQ(f.mmAudio.Mode(), 525);
    }
    forms::releaseAll();
}

}  // namespace
}  // namespace velt::ui

namespace velt::ui {
namespace {

// A box, a button bar and a Default button, in that tab order.
class frmBar : public Form {
  public:
    frmBar() : Form("frmBar") {
        for (auto [button, name] : {std::pair{&mmBar.PlayClick, "Play"},
                                    {&mmBar.StopClick, "Stop"},
                                    {&mmBar.RecordClick, "Record"}}) {
            *button = [this, name](int& cancel) {
                pressed.push_back(name);
                cancel = 1;
            };
        }
        cmdOK.Click = [this] { pressed.push_back("OK"); };
    }
    TextBox txtName{this, "txtName"};
    MediaControl mmBar{this, "mmBar"};
    CommandButton cmdOK{this, "cmdOK"};
    std::vector<std::string> pressed;

  protected:
    void design() override {
        setCaption("Bar");
        Move(0, 0, 6000, 2400);
        txtName.Move(120, 120, 2400, 360);
        txtName.setTabIndex(0);
        mmBar.Move(120, 600, 4200, 420);
        mmBar.setTabIndex(1);
        cmdOK.Move(120, 1200, 1200, 420);
        cmdOK.setCaption("OK");
        cmdOK.setDefault(true);
        cmdOK.setTabIndex(2);
    }
};

QImage look(QWidget* w) {
    return w->grab().toImage();
}

// The bar from the keyboard alone, through Qt key events on the focused widget: Tab reaches it
// once, the arrows go round its usable buttons, Space and Enter press the marked one (Enter not
// the form's Default button), and the mark is seen only while the bar has the focus.
TEST(MediaControlKeys, OneTabStopArrowsSpaceAndEnter) {
    test::Script ui;
    auto& f = forms::get<frmBar>();
    f.Show();
    for (MediaControl::Button b : {MediaControl::Prev, MediaControl::Next, MediaControl::Back,
                                   MediaControl::Step, MediaControl::Eject})
        f.mmBar.setButtonVisible(b, false);
    f.mmBar.setPauseEnabled(false);
    QApplication::setActiveWindow(f.window());
    auto key = [](Qt::Key k) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, k);
    };
    QWidget* playButton = f.mmBar.widget()->findChild<QToolButton*>("Play");
    ASSERT_NE(playButton, nullptr);
    const QImage playUnmarked = look(playButton);

    ASSERT_EQ(f.ActiveControl(), &f.txtName);
    key(Qt::Key_Tab);
    EXPECT_EQ(f.ActiveControl(), &f.mmBar);
    EXPECT_EQ(QApplication::focusWidget(), f.mmBar.widget());
    EXPECT_EQ(f.mmBar.FocusedButton(), MediaControl::Play);
    EXPECT_NE(look(playButton), playUnmarked) << "no focus mark on the marked button";

    struct Step {
        Qt::Key key;
        MediaControl::Button marked;
        std::vector<std::string> pressed;  // all presses so far
    } steps[] = {
        {Qt::Key_Right, MediaControl::Stop, {}},  // Pause is disabled: skipped
        {Qt::Key_Right, MediaControl::Record, {}},
        {Qt::Key_Right, MediaControl::Play, {}},  // round past the hidden Eject
        {Qt::Key_Left, MediaControl::Record, {}},
        {Qt::Key_Space, MediaControl::Record, {"Record"}},
        {Qt::Key_Left, MediaControl::Stop, {"Record"}},
        {Qt::Key_Return, MediaControl::Stop, {"Record", "Stop"}},
        {Qt::Key_Enter, MediaControl::Stop, {"Record", "Stop", "Stop"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(QKeySequence(s.key).toString().toStdString());
        key(s.key);
        EXPECT_EQ(f.mmBar.FocusedButton(), s.marked);
        EXPECT_EQ(f.pressed, s.pressed);
        EXPECT_EQ(f.ActiveControl(), &f.mmBar);
    }
    EXPECT_EQ(look(playButton), playUnmarked) << "the mark left Play";

    // The window turns the marked button off: the mark goes to its neighbour.
    f.mmBar.setStopEnabled(false);
    EXPECT_EQ(f.mmBar.FocusedButton(), MediaControl::Record);
    key(Qt::Key_Space);
    EXPECT_EQ(f.pressed.back(), "Record");

    // One stop only: Tab leaves for the next control, Shift+Tab comes back to the bar.
    key(Qt::Key_Tab);
    EXPECT_EQ(f.ActiveControl(), &f.cmdOK);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(f.ActiveControl(), &f.mmBar);
    key(Qt::Key_Tab);
    key(Qt::Key_Return);
    EXPECT_EQ(f.pressed.back(), "OK");
}

}  // namespace
}  // namespace velt::ui

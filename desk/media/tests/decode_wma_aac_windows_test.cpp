// The WMA and AAC windows over a scripted decoder control: the messages of each error code, the
// progress texts, the watchdog that restarts a silent control, and the hand-over (WaveReady, the
// partial WAV removed on every failure).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "desk/media/frm_aac.h"
#include "desk/media/frm_wma.h"
#include "main_window_fixture.h"
#include "scripted_decoder.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using platform::outside::DecoderEvent;
using test_boxes::Box;
using test_media::ScriptedDecoder;
using User = ui::test::User;

class DecodeWmaAacWindows : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Global& g = G();
        g.SourceAudioFile = (dir / "my song.wma").string();
        g.WorkWaveFile = g.TempFolder + "/~temp.wav";
    }
    // The window with a scripted control; `partial` leaves a WAV file as a decode would.
    template <class F>
    void useDouble(std::vector<DecoderEvent> events, int startId) {
        ui::forms::install<F>([this, events, startId] {
            return std::make_unique<F>(std::make_unique<ScriptedDecoder>(log, startId, events));
        });
        test::writeFile(G().WorkWaveFile, "RIFF partial");
    }
    // Shows the window modally; `during` runs inside, then the clock moves until it closes.
    template <class F>
    void show(const std::function<void(F&)>& during = nullptr) {
        G().WaveReady = true;
        ui.onModal<F>([&](F& f, User&) {
            EXPECT_FALSE(G().WaveReady) << "cleared when the window loads";
            if (during) during(f);
            for (int i = 0; i < 10 && f.loaded(); ++i) ui.advance(20);
        });
        ui::forms::get<F>().Show(ui::Modal);
        ui::Release<F>();
    }

    ScriptedDecoder::Log log;
};

TEST_F(DecodeWmaAacWindows, WmaErrorsGetTheirTextsAndNothingIsLeft) {
    struct Case {
        long code;
        const char* text;
    } cases[] = {
        {1001, "Error: Not a valid WMA file."},
        {1007, "Error: Missing codec. Upgrade to the latest Windows Media Player and try again."},
        {1023, "Error: WMA file is DRM protected. No rights to decode."},
        {1000, "Error: Unable to decode WMA file."},
        {4711, "Error: Unable to decode WMA file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        useDouble<frmWMA>({ScriptedDecoder::progress(0), ScriptedDecoder::error(c.code)}, 10);
        ui.expectBox(Box(c.text, "Decode Error", 16)).answer(ui::OK);
        show<frmWMA>();
        EXPECT_FALSE(G().WaveReady);
        EXPECT_FALSE(fs::exists(G().WorkWaveFile));
    }
    const std::string source = G().SourceAudioFile, wave = G().WorkWaveFile;
    ASSERT_GE(log.calls.size(), 4u);
    EXPECT_EQ(
        std::vector<std::string>(log.calls.begin(), log.calls.begin() + 4),
        (std::vector<std::string>{"set 2 " + source, "set 3 " + wave, "invoke 10", "invoke 11"}));
}

TEST_F(DecodeWmaAacWindows, WmaSucceedsOnlyAfterProgressBetweenTheEnds) {
    // 0, 35, 100: success, the file kept.
    useDouble<frmWMA>({ScriptedDecoder::progress(0), ScriptedDecoder::progress(35),
                       ScriptedDecoder::progress(100)},
                      10);
    show<frmWMA>();
    EXPECT_TRUE(G().WaveReady);
    EXPECT_TRUE(fs::exists(G().WorkWaveFile));

    // 0 then 100 with nothing between: the help-topic box, no success. Values outside 0..100
    // count for nothing.
    useDouble<frmWMA>({ScriptedDecoder::progress(0), ScriptedDecoder::progress(-5),
                       ScriptedDecoder::progress(250), ScriptedDecoder::progress(100)},
                      10);
    ui.expectBox(Box("Error: Unable to decode WMA file. Click Help button for more information.",
                     "Decode Error", 16, 215))
        .answer(ui::OK);
    show<frmWMA>();
    EXPECT_FALSE(G().WaveReady);
    EXPECT_FALSE(fs::exists(G().WorkWaveFile));
}

TEST_F(DecodeWmaAacWindows, ASilentWmaControlIsRestartedEvery250MsUntilItSpeaks) {
    useDouble<frmWMA>({}, 10);
    ui.onModal<frmWMA>([&](frmWMA& f, User& u) {
        EXPECT_EQ(f.lblStatus.Caption(), "Initializing...");
        ui.advance(249);
        EXPECT_EQ(log.calls.back(), "invoke 10");
        EXPECT_EQ(log.calls.size(), 3u);
        ui.advance(1);
        ui.advance(250);
        EXPECT_EQ(log.calls.size(), 3u + 2 * 4) << "stop, set, set, start at each tick";
        EXPECT_EQ(log.calls[3], "invoke 11");
        EXPECT_EQ(log.calls.back(), "invoke 10");
        // The first event ends the watchdog.
        f.WMADecoder_Progress(48.5);
        EXPECT_EQ(f.lblStatus.Caption(), "48% completed");
        EXPECT_EQ(f.ProgressBar.Value(), 48.5);
        f.WMADecoder_Progress(49.5);
        EXPECT_EQ(f.lblStatus.Caption(), "50% completed");
        const size_t calls = log.calls.size();
        ui.advance(1000);
        EXPECT_EQ(log.calls.size(), calls);
        u.click(f.cmdCancel);
    });
    test::writeFile(G().WorkWaveFile, "RIFF partial");
    ui::forms::get<frmWMA>().Show(ui::Modal);
    ui::Release<frmWMA>();
    EXPECT_EQ(log.calls.back(), "invoke 11");
    EXPECT_FALSE(G().WaveReady);
    EXPECT_FALSE(fs::exists(G().WorkWaveFile));
}

TEST_F(DecodeWmaAacWindows, AacSucceedsAt100AndAFailedDecodeClosesWithItsBox) {
    useDouble<frmAAC>({ScriptedDecoder::progress(0), ScriptedDecoder::progress(100)}, 3);
    show<frmAAC>();
    EXPECT_TRUE(G().WaveReady);
    EXPECT_TRUE(fs::exists(G().WorkWaveFile));
    const std::string source = G().SourceAudioFile, wave = G().WorkWaveFile;
    EXPECT_EQ(log.calls, (std::vector<std::string>{"set 1 " + source, "set 2 " + wave, "invoke 3",
                                                   "invoke 4"}));

    for (long code : {1000L, 1001L, 1007L}) {
        SCOPED_TRACE(code);
        useDouble<frmAAC>({ScriptedDecoder::progress(0), ScriptedDecoder::progress(12.5),
                           ScriptedDecoder::error(code)},
                          3);
        ui.expectBox(Box("Error: Unable to decode AAC file.", "Decode Error", 16)).answer(ui::OK);
        show<frmAAC>([](frmAAC& f) {
            EXPECT_EQ(f.lblStatus1.Caption(), "Analyzing AAC file... Please Wait");
        });
        EXPECT_FALSE(G().WaveReady);
        EXPECT_FALSE(fs::exists(G().WorkWaveFile));
    }
}

// Opens the FIFO for writing and closes it again, letting every reader waiting on it go on
// (they read an empty file). False when no reader waits.
bool releaseReaders(const fs::path& fifo) {
    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd < 0) return false;
    close(fd);
    return true;
}

// Cancel while the decode's read is blocked in the system (a stalled network mount; here a FIFO
// the decode opens itself, where no interrupt reaches it): the window closes with the read still
// waiting, and the decode ends on its own later without a word to anyone.
TEST_F(DecodeWmaAacWindows, CancelClosesTheWindowWhileTheReadStillWaits) {
    const fs::path fifo = dir / "x.aac";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    G().SourceAudioFile = fifo.string();
    auto entered = std::make_shared<std::atomic<int>>(0);
    auto left = std::make_shared<std::atomic<int>>(0);
    platform::outside::DecodeFunction decode =
        [entered, left](const std::string& source, const std::string&, bool,
                        const std::function<void(double)>&, const std::atomic<bool>*) -> long {
        ++*entered;
        test::readFile(source);  // blocks in open until someone writes
        ++*left;
        return platform::outside::decoder_error::kFailed;
    };
    auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 2000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return done();
    };
    // Should Cancel wait for the read after all, this lets it go after a while and the test fails.
    std::promise<void> finished;
    std::atomic<bool> forced = false;
    std::thread watchdog([&, done = finished.get_future()] {
        while (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            if (releaseReaders(fifo)) forced = true;
        }
    });

    ui::forms::install<frmAAC>([decode] {
        return std::make_unique<frmAAC>(std::make_unique<platform::outside::CompressedDecoder>(
            platform::outside::kAacFace, decode));
    });
    ui::forms::install<frmWMA>([decode] {
        return std::make_unique<frmWMA>(std::make_unique<platform::outside::CompressedDecoder>(
            platform::outside::kWmaFace, decode));
    });
    int windows = 0;
    auto cancel = [&](auto& f) {
        ++windows;
        ASSERT_TRUE(waitFor([&] { return *entered == windows; }));
        ui.user().click(f.cmdCancel);
        EXPECT_FALSE(f.loaded());
        EXPECT_FALSE(forced) << "Cancel waited for the read";
        EXPECT_EQ(*left, 0) << "the read still waits";
    };
    show<frmAAC>([&](frmAAC& f) { cancel(f); });
    show<frmWMA>([&](frmWMA& f) { cancel(f); });
    EXPECT_FALSE(G().WaveReady);

    EXPECT_TRUE(releaseReaders(fifo));
    EXPECT_TRUE(waitFor([&] { return *left == 2; }));
    finished.set_value();
    watchdog.join();
}

}  // namespace
}  // namespace velt::desk

// The recording window under test: the main window's folders and test script, a held settings
// editor, the take's input fed by the test (FakeWaveIn), sound output in clock time, a MIDI
// output that logs each event with its clock time, a level meter whose readings the test sets,
// and every command string logged with its clock time (and failed on request). Everything is put
// back when the test ends, and no timer period may be left open.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio_input_double.h"
#include "box_match.h"
#include "desk/core/global.h"
#include "desk/media/frm_record.h"
#include "main_window_fixture.h"
#include "platform/clock/mm_time.h"
#include "platform/mci/mci.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/clock_wave_out.h"
#include "platform/wave_io/fake_wave_in.h"
#include "scoped_hook.h"

namespace velt::desk::test_recorder {

// A MIDI output whose every open, message, reset and close is logged with the clock time.
class TimedMidiOut : public platform::midi_out::Devices {
  public:
    struct Event {
        int64_t ms;
        std::string what;  // "open", "reset", "close", or the message bytes: "c0 73 00"
    };
    int32_t count() override { return 1; }
    std::string name(int32_t) override { return "Clicks"; }
    int32_t open(int32_t, std::unique_ptr<platform::midi_out::Port>& port) override {
        if (openResult != 0) return openResult;
        log("open");
        port = std::make_unique<TimedPort>(*this);
        return 0;
    }
    void log(const std::string& what) {
        events.push_back({static_cast<int64_t>(platform::timeGetTime()), what});
    }
    // The note-ons: clock time and key.
    std::vector<std::pair<int64_t, int>> clicks() const {
        std::vector<std::pair<int64_t, int>> out;
        for (const auto& e : events) {
            if (e.what.rfind("9", 0) == 0)
                out.emplace_back(e.ms, std::stoi(e.what.substr(3, 2), nullptr, 16));
        }
        return out;
    }
    std::vector<Event> events;
    int32_t openResult = 0;

  private:
    class TimedPort : public platform::midi_out::Port {
      public:
        explicit TimedPort(TimedMidiOut& owner) : owner_(owner) {}
        int32_t send(const std::vector<uint8_t>& bytes) override {
            std::string text;
            for (uint8_t b : bytes) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02x", b);
                if (!text.empty()) text += ' ';
                text += hex;
            }
            owner_.log(text);
            return 0;
        }
        int32_t reset() override {
            owner_.log("reset");
            return 0;
        }
        void close() override { owner_.log("close"); }

      private:
        TimedMidiOut& owner_;
    };
};

// A settings editor that only holds the values the window reads and writes.
class HeldEditor : public RecorderEditor {
  public:
    float tempo() override { return settings.tempo; }
    std::string timeNumText() override { return settings.timeNum; }
    int32_t timeDenomIndex() override { return settings.timeDenomIndex; }
    int32_t keyIndex() override { return settings.keyIndex; }
    int32_t minorFlag() override { return settings.minor; }
    int32_t inputThresholdValue() override { return thresholdValue; }
    void setInputThresholdValue(int32_t value) override { thresholdValue = value; }
    std::string selectedAudioFile() override { return audioFile; }
    int32_t audioFileCount() override { return audioFiles; }
    std::string selectedMidiFile() override { return midiFile; }
    bool autoName() override { return autoNaming; }
    void setSelectedFiles(const std::string& audio, const std::string& midi) override {
        audioFile = audio;
        midiFile = midi;
    }
    void clearRecordedAudioFile() override { recordedAudioFile.clear(); }
    void getWaveInfo(const std::string& path) override { inspected = path; }
    void addToFileList() override { ++filesAdded; }
    void takeOver(const RecordedSettings& s) override {
        settings = s;
        ++takeOvers;
    }
    void keep(float t, const std::string& timeNum) override {
        settings.tempo = t;
        settings.timeNum = timeNum;
    }
    void setTempoDetect(bool ticked) override { tempoDetect = ticked ? 1 : 0; }

    RecordedSettings settings;
    int32_t thresholdValue = -384;
    std::string audioFile, midiFile, recordedAudioFile = "(none)", inspected;
    int32_t audioFiles = 0;
    bool autoNaming = true;
    int32_t filesAdded = 0;
    int32_t takeOvers = 0;
    int32_t tempoDetect = -1;  // -1: never set
};

// The wizard's side of the mirror, recording what it is given.
class RecordingMirror : public WizardRecordPage {
  public:
    void counter(const std::string& caption, long colour) override {
        counters.push_back(caption);
        counterColour = colour;
    }
    void saveEnabled(bool enabled) override { save = enabled; }
    void light(const ui::Picture& picture) override { lights.push_back(picture); }
    void levelBar(long colour, double top, double height) override {
        bars.push_back({colour, top, height});
    }
    void thresholdMark(double y1, double y2, bool visible) override {
        marks.push_back({y1, y2});
        line50 = visible;
    }
    void stopPlayback() override { ++stops; }

    struct Bar {
        long colour;
        double top, height;
    };
    std::vector<std::string> counters;
    long counterColour = -1;
    bool save = false;
    std::vector<ui::Picture> lights;
    std::vector<Bar> bars;
    std::vector<std::pair<double, double>> marks;
    bool line50 = false;
    int stops = 0;
};

class RecorderTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        platform::wave_in::useDevices(&input);
        platform::wave_out::useDevices(&output);
        platform::midi_out::useDevices(&midi);
        ui::forms::install<frmRecord>([this] { return std::make_unique<frmRecord>(editor); });
    }
    void TearDown() override {
        ui::forms::releaseAll();
        platform::mci::closeAll();
        platform::wave_in::useDevices(nullptr);
        platform::wave_out::useDevices(nullptr);
        platform::midi_out::useDevices(nullptr);
        EXPECT_EQ(platform::timePeriodsOpen(), 0) << "a timer period was left open";
        MainWindowTest::TearDown();
    }

    // The window, loaded hidden, its command strings logged.
    frmRecord& recorder() {
        frmRecord& f = ui::forms::get<frmRecord>();
        f.SendCommand = [this](const std::string& text, std::string& returned) {
            mci.push_back(text);
            mciTimes.push_back(ui.now());
            for (const auto& [prefix, error] : failures)
                if (text.rfind(prefix, 0) == 0) return error;
            return platform::mci::mciSendString(text, returned);
        };
        return f;
    }
    frmRecord& shownRecorder() {
        frmRecord& f = recorder();
        f.Show();
        return f;
    }
    // Stereo frames of a steady tone, fed to the take's input.
    void feed(int64_t ms) {
        const size_t frames = static_cast<size_t>(ms * 441 / 10);
        std::vector<int16_t> samples(frames * 2);
        for (size_t i = 0; i < frames; ++i)
            samples[2 * i] = samples[2 * i + 1] = (i % 100 < 50) ? 20000 : -20000;
        input.deliver(samples);
    }
    // Records a take of `ms` with the panel folded.
    void recordTake(frmRecord& f, int64_t ms) {
        int cancel = 0;
        f.MMControl_RecordClick(cancel);
        feed(ms);
        ui.advance(ms);
        f.MMControl_StopClick(cancel);
    }
    // The commands sent from position `from` of the log on.
    std::vector<std::string> sentSince(size_t from) const {
        return {mci.begin() + static_cast<std::ptrdiff_t>(from), mci.end()};
    }
    std::string quoted(const std::string& path) const { return "\"" + path + "\""; }
    std::string takePath() const { return G().TempFolder + "/~temp.wav"; }

    std::shared_ptr<HeldEditor> editor = std::make_shared<HeldEditor>();
    platform::wave_in::FakeWaveIn input;
    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
    TimedMidiOut midi;
    test_audio::FakeAudioInput meter;
    std::vector<std::string> mci;
    std::vector<int64_t> mciTimes;
    std::map<std::string, int32_t> failures;  // command prefix → error number
};

}  // namespace velt::desk::test_recorder

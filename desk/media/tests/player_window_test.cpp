// The ZeruZirado on the clock-time wave output double and the recording MIDI device, under the
// script clock: the sync rule, playback of both files to their end, the seconds counter, pause,
// the delayed audio start, the balance, a decoded MP3 entry, a damaged MIDI file, a project
// without files, the mixer, and the working MIDI copy removed on close.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "audio_fixtures.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_player.h"
#include "main_window_fixture.h"
#include "platform/clock/mm_time.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/clock_wave_out.h"
#include "window_user.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;
using WaveKind = platform::wave_out::ClockWaveOut::Event::Kind;

constexpr int kPlaying = 526;
constexpr const char* kSyncText =
    "You can't play both files in sync because you transposed the MIDI file or changed its "
    "speed.";

class PlayerWindow : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        platform::wave_out::useDevices(&output);
        platform::midi_out::useDevices(&midi);
        periods = platform::timePeriodsOpen();
    }
    void TearDown() override {
        EXPECT_EQ(platform::timePeriodsOpen(), periods) << "timer periods left open";
        MainWindowTest::TearDown();
        platform::wave_out::setVolume(0, 0xFFFFFFFF);
        platform::midi_out::setVolume(0, 0xFFFFFFFF);
        platform::wave_out::useDevices(nullptr);
        platform::midi_out::useDevices(nullptr);
    }

    // `seconds` of a tone at 8 kHz mono, made by sox.
    std::string audio(const std::string& name, int seconds) {
        const std::string path = (dir / name).string();
        EXPECT_EQ(test::runCommand("sox -D -n -r 8000 -c 1 -b 16 " + test::shellQuote(path) +
                                   " synth " + std::to_string(seconds) + " sine 440 vol 0.5")
                      .exitCode,
                  0);
        return path;
    }
    // A MIDI file of one note per half second for `seconds` (120 beats a minute), by csvmidi.
    std::string midiFile(const std::string& name, int seconds) {
        const fs::path csv = dir / (name + ".csv");
        std::string text =
            "0, 0, Header, 1, 2, 480\n1, 0, Start_track\n1, 0, Tempo, 500000\n1, 0, End_track\n"
            "2, 0, Start_track\n2, 0, Program_c, 0, 40\n";
        const int notes = seconds * 2;
        for (int i = 0; i < notes; ++i) {
            text += "2, " + std::to_string(i * 480) + ", Note_on_c, 0, 60, 90\n";
            text += "2, " + std::to_string(i * 480 + 400) + ", Note_off_c, 0, 60, 0\n";
        }
        text += "2, " + std::to_string(notes * 480) + ", End_track\n0, 0, End_of_file\n";
        test::writeFile(csv, text);
        const std::string path = (dir / name).string();
        EXPECT_EQ(test::runCommand("csvmidi " + test::shellQuote(csv.string()) + " " +
                                   test::shellQuote(path))
                      .exitCode,
                  0);
        return path;
    }
    // The project's file list.
    void project(const std::vector<std::pair<std::string, std::string>>& entries) {
        Global& g = G();
        g.AudioFileCount = static_cast<int32_t>(entries.size());
        g.AudioFiles.redim(g.AudioFileCount);
        g.MidiFiles.redim(g.AudioFileCount);
        for (int i = 0; i < g.AudioFileCount; ++i) {
            g.AudioFiles(i + 1) = entries[static_cast<size_t>(i)].first;
            g.MidiFiles(i + 1) = entries[static_cast<size_t>(i)].second;
        }
    }
    frmPlayer& player() { return ui::forms::get<frmPlayer>(); }
    // The Open and Play events of the output double since the test began.
    int64_t firstPlayMs() {
        for (const auto& e : output.events)
            if (e.kind == WaveKind::Play) return e.atMs;
        return -1;
    }

    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
    platform::midi_out::RecordingMidiOut midi{1};
    int32_t periods = 0;
};

TEST_F(PlayerWindow, SyncRuleByTranspositionAndSpeed) {
    const std::string wav = audio("song.wav", 3);
    const std::string mid = midiFile("song.mid", 3);
    struct Case {
        int transpose, speed;
        bool midiThere, message, syncAllowed;
        int chosen;
    } cases[] = {
        {7, 100, true, true, false, frmPlayer::AudioOnly},
        {7, 100, false, true, false, frmPlayer::AudioOnly},
        {12, 100, true, false, true, frmPlayer::BothInSync},
        {-24, 100, true, false, true, frmPlayer::BothInSync},
        {0, 80, true, true, false, frmPlayer::AudioOnly},
        {0, 80, false, false, false, frmPlayer::AudioOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.transpose) + " " + std::to_string(c.speed) +
                     (c.midiThere ? " both" : " no MIDI"));
        G().Transpose = c.transpose;
        G().Speed = c.speed;
        project({{wav, c.midiThere ? mid : (dir / "gone.mid").string()}});
        if (c.message) ui.expectBox(Box(kSyncText, "ZeruZirado", 48)).answer(ui::OK);
        frmPlayer& p = player();
        EXPECT_EQ(p.optSelect(frmPlayer::BothInSync).Enabled(), c.syncAllowed);
        EXPECT_EQ(p.optSelect(frmPlayer::MidiOnly).Enabled(), c.midiThere);
        EXPECT_EQ(p.cmdMidiEdit.Enabled(), c.midiThere);
        EXPECT_TRUE(p.optSelect(c.chosen).Value());
        EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
        EXPECT_EQ(p.mmMidi.Mode() == kPlaying, c.chosen == frmPlayer::BothInSync);
        EXPECT_EQ(G().MidiFileToEdit, c.midiThere ? mid : "");
        EXPECT_EQ(G().AudioFileToEdit, wav);
        ui::Release<frmPlayer>();
    }
}

TEST_F(PlayerWindow, BothPlayToTheEndCountingSecondsThenPauseAndBalance) {
    const std::string wav = audio("my song.wav", 8);
    const std::string mid = midiFile("my song.mid", 8);
    project({{wav, mid}});
    frmPlayer& p = player();
    ASSERT_EQ(p.cboAudioFile.ListCount(), 1);
    EXPECT_EQ(p.cboAudioFile.List(0), "1. my song");
    EXPECT_EQ(p.cboMidiFile.Text(), "1. my song");
    EXPECT_TRUE(p.optSelect(frmPlayer::BothInSync).Value());
    EXPECT_EQ(p.mmAudio.FileName(), G().TempFolder + "/~temp.wav");
    EXPECT_EQ(p.mmMidi.FileName(), G().TempFolder + "/~temp.mid");
    EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
    EXPECT_EQ(p.mmMidi.Mode(), kPlaying);
    EXPECT_FALSE(p.mmControl.PauseEnabled());  // no pause in sync
    EXPECT_EQ(p.lblPosition.Caption(), ":00");
    ui.advance(7000);
    EXPECT_EQ(p.lblPosition.Caption(), ":07");
    EXPECT_EQ(p.mmAudio.Position(), 7000);
    ui.advance(1100);  // the audio ends: Done(1) of the clock device presses Stop
    EXPECT_EQ(p.lblPosition.Caption(), "");
    EXPECT_NE(p.mmAudio.Mode(), kPlaying);
    EXPECT_NE(p.mmMidi.Mode(), kPlaying);
    EXPECT_TRUE(p.mmControl.PlayEnabled());
    EXPECT_FALSE(p.mmControl.StopEnabled());
    const size_t notes = std::count_if(midi.events.begin(), midi.events.end(), [](const auto& e) {
        return !e.bytes.empty() && (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] > 0;
    });
    EXPECT_EQ(notes, 16u);

    // Audio only: pause holds the position, a second pause resumes.
    p.optSelect(frmPlayer::AudioOnly).setValue(true);
    EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
    EXPECT_TRUE(p.mmControl.PauseEnabled());
    ui.advance(1000);
    int cancel = 0;
    p.mmControl_PauseClick(cancel);
    EXPECT_EQ(p.mmAudio.Mode(), 529);
    const long at = p.mmAudio.Position();
    ui.advance(3000);
    EXPECT_EQ(p.mmAudio.Position(), at);
    p.mmControl_PauseClick(cancel);
    EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
    EXPECT_TRUE(p.mmAudio.Notify());

    // The balance: MIDI gets the slider's value, the wave output the rest, on both sides.
    p.sldVolume.setValue(4095);
    p.sldVolume_Change();
    uint32_t midiVolume = 0, waveVolume = 0;
    platform::midi_out::getVolume(0, midiVolume);
    platform::wave_out::getVolume(0, waveVolume);
    EXPECT_EQ(midiVolume, 4095u | (4095u << 16));
    EXPECT_EQ(waveVolume, 61440u | (61440u << 16));

    p.cmdClose_Click();
    EXPECT_FALSE(fs::exists(G().TempFolder + "/~temp.mid"));
    EXPECT_TRUE(fs::exists(G().TempFolder + "/~temp.wav"));  // the main window removes it
}

// The button bar from the keyboard: Tab reaches it, Space stops and plays, Enter stops.
TEST_F(PlayerWindow, StopAndPlayWithKeysOnly) {
    project({{audio("song.wav", 4), midiFile("song.mid", 4)}});
    frmPlayer& p = player();
    p.Show();
    ASSERT_EQ(p.mmAudio.Mode(), kPlaying);
    test_keys::activate(p);
    ASSERT_TRUE(test_keys::tabTo(p, p.mmControl));
    ui.advance(1000);

    ASSERT_TRUE(test_keys::pressBar(p, p.mmControl, ui::MediaControl::Stop));
    EXPECT_NE(p.mmAudio.Mode(), kPlaying);
    EXPECT_NE(p.mmMidi.Mode(), kPlaying);
    EXPECT_TRUE(p.mmControl.PlayEnabled());

    ASSERT_TRUE(test_keys::pressBar(p, p.mmControl, ui::MediaControl::Play));
    EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
    EXPECT_EQ(p.mmMidi.Mode(), kPlaying);
    ui.advance(500);
    for (int i = 0;
         i < ui::MediaControl::kButtons && p.mmControl.FocusedButton() != ui::MediaControl::Stop;
         ++i)
        test_keys::press(Qt::Key_Left);
    ASSERT_EQ(p.mmControl.FocusedButton(), ui::MediaControl::Stop);
    test_keys::press(Qt::Key_Return);
    EXPECT_NE(p.mmAudio.Mode(), kPlaying);
    EXPECT_NE(p.mmMidi.Mode(), kPlaying);
    EXPECT_EQ(p.ActiveControl(), &p.mmControl);
}

TEST_F(PlayerWindow, NegativeStartPointDelaysTheAudioInSyncOnly) {
    const std::string wav = audio("song.wav", 4);
    const std::string mid = midiFile("song.mid", 4);
    project({{wav, mid}});
    G().StartPoint = -2.5f;
    frmPlayer& p = player();
    EXPECT_EQ(p.mmMidi.Mode(), kPlaying);
    EXPECT_NE(p.mmAudio.Mode(), kPlaying);
    ui.advance(2499);
    EXPECT_NE(p.mmAudio.Mode(), kPlaying);
    ui.advance(1);
    EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
    EXPECT_EQ(firstPlayMs(), 2500);
    ASSERT_FALSE(output.events.empty());
    const auto play = std::find_if(output.events.begin(), output.events.end(),
                                   [](const auto& e) { return e.kind == WaveKind::Play; });
    EXPECT_EQ(play->first, 0);  // from the start of the audio

    output.events.clear();
    const int64_t now = ui.now();
    p.optSelect(frmPlayer::AudioOnly).setValue(true);
    EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
    EXPECT_EQ(firstPlayMs(), now);
}

TEST_F(PlayerWindow, DecodedMp3DamagedMidiAndEmptyProject) {
    // An empty project: no rows, no copies, nothing plays.
    project({});
    frmPlayer& empty = player();
    EXPECT_EQ(empty.cboAudioFile.ListCount(), 0);
    EXPECT_EQ(empty.cboAudioFile.ListIndex(), -1);
    EXPECT_EQ(empty.mmAudio.Mode(), 524);
    EXPECT_EQ(empty.mmMidi.Mode(), 524);
    EXPECT_FALSE(fs::exists(G().TempFolder + "/~temp.wav"));
    ui::Release<frmPlayer>();

    // Entry 2 is an MP3 file: the real decoder makes the WAV copy. Its MIDI file is damaged: the
    // "Open MIDI" box, and the audio plays all the same.
    const fs::path wave = dir / "melody.wav";
    ASSERT_TRUE(test::makeMelody(wave, {.rate = 44100, .channels = 2, .noteSeconds = 0.25}));
    const fs::path mp3 = dir / "melody.mp3";
    ASSERT_TRUE(test::encode(wave, mp3, test::Encoding::Mp3));
    const std::string damaged = (dir / "damaged.mid").string();
    test::writeFile(damaged, "MThd but nothing after");
    project({{audio("first.wav", 2), midiFile("first.mid", 2)}, {mp3.string(), damaged}});
    G().InstallFolder = test::binDir().string() + "/";
    frmPlayer& p = player();
    EXPECT_TRUE(p.optSelect(frmPlayer::BothInSync).Value());
    ui.onModal<frmMP3>([&](frmMP3& f, ui::test::User&) {
        for (int i = 0; i < 600 && f.loaded(); ++i) {
            ui.advance(500);
            if (f.loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_FALSE(f.loaded());
    });
    ui.expectBox({.title = "Open MIDI", .icon = 48, .help = 97}).answer(ui::OK);
    p.cboMidiFile.setListIndex(1);  // the MIDI list moves the audio list with it
    EXPECT_EQ(p.cboAudioFile.ListIndex(), 1);
    EXPECT_TRUE(G().WaveReady);
    EXPECT_EQ(G().SourceAudioFile, mp3.string());
    EXPECT_EQ(p.mmAudio.FileName(), G().TempFolder + "/~temp.wav");
    EXPECT_TRUE(p.optSelect(frmPlayer::BothInSync).Value());
    EXPECT_EQ(p.mmAudio.Mode(), kPlaying);
    const auto& open = output.events.back().kind == WaveKind::Play
                           ? output.events[output.events.size() - 2]
                           : output.events.back();
    EXPECT_EQ(open.kind, WaveKind::Open);
    EXPECT_EQ(open.sampleRate, 44100);
}

TEST_F(PlayerWindow, MissingAudioLeavesTheMidiOnlyAndItKeepsTime) {
    project({{(dir / "gone.wav").string(), midiFile("song.mid", 2)}});
    frmPlayer& p = player();
    EXPECT_FALSE(p.optSelect(frmPlayer::BothInSync).Enabled());
    EXPECT_FALSE(p.optSelect(frmPlayer::AudioOnly).Enabled());
    EXPECT_FALSE(p.cmdAudioEdit.Enabled());
    EXPECT_EQ(G().AudioFileToEdit, "");
    EXPECT_TRUE(p.optSelect(frmPlayer::MidiOnly).Value());
    EXPECT_EQ(p.mmMidi.Mode(), kPlaying);
    EXPECT_EQ(p.mmAudio.Mode(), 524);
    EXPECT_TRUE(p.mmMidi.Notify());
    EXPECT_EQ(p.mmMidi.UpdateInterval(), 1000);
    EXPECT_TRUE(p.mmControl.PauseEnabled());
    ui.advance(1000);
    EXPECT_EQ(p.lblPosition.Caption(), ":01");
    ui.advance(1500);  // the MIDI file ends: its Done presses Stop
    EXPECT_EQ(p.lblPosition.Caption(), "");
    EXPECT_NE(p.mmMidi.Mode(), kPlaying);
    EXPECT_TRUE(p.mmControl.PlayEnabled());
    EXPECT_FALSE(p.optSelect(frmPlayer::AudioOnly).Enabled());  // Stop keeps the file rule
}

TEST_F(PlayerWindow, EditorsMixerAndHelp) {
    const std::string wav = audio("song.wav", 2);
    project({{wav, (dir / "none.mid").string()}});
    G().Mixer = "/opt/mixer";
    frmPlayer& p = player();
    EXPECT_FALSE(p.cmdMidiEdit.Enabled());
    p.cmdVolume_Click();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].arguments, std::vector<std::string>{"/opt/mixer"});
    shell.result = false;
    ui.expectBox(Box("Unable to open Mixer.", "Playback Mixer", 16, 146)).answer(ui::OK);
    p.cmdVolume_Click();
    p.cmdHelp_Click();
    EXPECT_EQ(ui.helpCalls(), std::vector<long>{207});
    int before = static_cast<int>(shell.calls.size());
    shell.result = true;
    G().AudioEditor = "/opt/editor";
    p.cmdAudioEdit_Click();
    EXPECT_NE(p.mmAudio.Mode(), kPlaying);  // stopped first
    ASSERT_EQ(static_cast<int>(shell.calls.size()), before + 1);
    EXPECT_EQ(shell.calls.back().arguments, (std::vector<std::string>{"/opt/editor", wav}));
}

}  // namespace
}  // namespace velt::desk

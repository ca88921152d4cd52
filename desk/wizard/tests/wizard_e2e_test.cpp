// End to end through the main window's New: the wizard scripted page by page, Finish, and the
// conversion that follows with the real bridge and engine. With VELT_E2E_OUT set, each scenario
// keeps its MIDI file there.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <thread>

#include "audio_fixtures.h"
#include "box_match.h"
#include "desk/core/live/frm_live.h"
#include "desk/core/run/bridge_loader.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "desk/core/shared/data_lists.h"
#include "desk/media/frm_record.h"
#include "installed_devices.h"
#include "main_window_fixture.h"
#include "midicsv_reader.h"
#include "piano_score.h"
#include "platform/mci/mci.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/fake_wave_in.h"
#include "platform/wave_io/file_wave_in.h"
#include "scoped_env.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using User = ui::test::User;

class WizardE2E : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fs::create_directories(dir / "run");
        chmod((dir / "run").c_str(), 0700);
        for (const char* file : {"filter.txt", "percussion.txt"})
            fs::copy_file(test::sourceDir() / "data" / file, fs::path(G().InstallFolder) / file);
    }
    void TearDown() override {
        if (const BridgeCalls* bridge = Bridge())
            bridge->AbandonConvert();  // idle for the next test
        MainWindowTest::TearDown();
        platform::mci::closeAll();
        platform::wave_in::useDevices(nullptr);
        platform::midi_out::useDevices(nullptr);
    }
    // The conversion's windows: the progress window ticked until it closes, the results closed.
    void convertOnFinish(bool closeResults = true) {
        ui.onModal<frmStatus>([&](frmStatus& s, User&) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
            while (s.loaded() && std::chrono::steady_clock::now() < deadline) {
                ui.advance(56);
                if (s.loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_FALSE(s.loaded());
        });
        if (closeResults)
            ui.onModal<frmResults>([](frmResults& r, User& u) { u.click(r.cmdClose); });
    }
    // The MIDI file's keys and programs.
    struct MidiContent {
        std::set<int> keys, programs;
    };
    MidiContent read(const std::string& midi) {
        const test::MidiContents contents = test::readMidi(midi);
        MidiContent content{contents.keys(), {}};
        for (const test::MidiProgram& p : contents.programs) content.programs.insert(p.program);
        return content;
    }
    void keep(const std::string& midi, const std::string& name) {
        const char* out = std::getenv("VELT_E2E_OUT");
        if (out == nullptr || *out == '\0') return;
        fs::create_directories(out);
        fs::copy_file(midi, fs::path(out) / name, fs::copy_options::overwrite_existing);
    }
    // After Finish: the run finished on the one audio file of the project; its MIDI file is
    // A plucked line as the sound card would deliver it: 44.1 kHz stereo 16-bit samples, one
    // 0.7 s note per name, made by sox into a raw file of the test.
    std::vector<int16_t> pluckedSamples(const std::string& rawName,
                                        const std::vector<std::string>& notes) {
        const fs::path raw = dir / rawName;
        std::string synth;
        for (const std::string& note : notes)
            synth += (synth.empty() ? " synth 0.7 pluck " : " : synth 0.7 pluck ") + note;
        EXPECT_EQ(test::runCommand("sox -D -n -r 44100 -c 2 -b 16 -e signed -t raw " +
                                   test::shellQuote(raw.string()) + synth)
                      .exitCode,
                  0);
        const std::vector<unsigned char> bytes = test::readBytes(raw);
        std::vector<int16_t> samples;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
        return samples;
    }
    // kept (when $VELT_E2E_OUT is set) and read. No save question when the window closes.
    MidiContent convertedAlone(frmMain& m, const std::string& audio, const std::string& kept) {
        EXPECT_EQ(m.sbStatusBar.Text(), "Finished");
        Global& g = G();
        g.ProjectChanged = false;
        EXPECT_EQ(g.AudioFileCount, 1);
        if (g.AudioFileCount != 1) return {};
        EXPECT_EQ(g.AudioFiles(1), audio);
        const std::string mid = g.MidiFiles(1);
        EXPECT_TRUE(fs::exists(mid)) << mid;
        if (!fs::exists(mid)) return {};
        if (!kept.empty()) keep(mid, kept);
        return read(mid);
    }

    // Runs `page` on each step reached by Next until Finish is enabled on the finish step, then
    // Finish.
    void nextUntilFinish(frmWizard& w, User& u, const std::function<void(WizardStep)>& page,
                         std::vector<WizardStep>& steps) {
        for (int i = 0; i < 16 && w.CurrentStep != WizardStep::Finish; ++i) {
            page(w.CurrentStep);
            u.click(w.cmdNav(3));
            steps.push_back(w.CurrentStep);
        }
        ASSERT_EQ(w.CurrentStep, WizardStep::Finish);
        u.click(w.cmdNav(4));
    }
    // Stops the take being recorded, saves it as `take` and leaves every later page as it is.
    void stopSaveAndFinish(frmWizard& w, User& u, const std::string& take,
                           std::vector<WizardStep>& steps) {
        ASSERT_TRUE(w.MMControl.userClick(ui::MediaControl::Stop));
        ui.expectFileDialog({.title = "Save Wave File As"}).choose(take);
        u.click(w.cmdSave);
        nextUntilFinish(
            w, u, [](WizardStep) {}, steps);
    }
    // A melody of plucked notes, written by sox in the CD's format.
    static bool melody(const fs::path& file, const std::vector<const char*>& notes) {
        std::string sox = "sox -D -n -r 44100 -c 2 -b 16 " + test::shellQuote(file.string());
        for (size_t i = 0; i < notes.size(); ++i)
            sox += std::string(i > 0 ? " :" : "") + " synth 0.7 pluck " + notes[i];
        return test::runCommand(sox + " 2>&1").exitCode == 0;
    }

    void recordDirectly(const fs::path& played, bool finishes);

    platform::wave_in::FakeWaveIn input;  // the sound card, for the scenarios that record
    platform::midi_out::RecordingMidiOut midi{2};
    test::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", (dir / "run").string()};
    test::ScopedEnv systemEnv{"VELTRANE_SYSTEM_DIR", std::nullopt};
};

constexpr int kFlute = 73;
constexpr int kPiano = 0;

TEST_F(WizardE2E, AToneFileWithUnknownInstrumentsAPatchAndEasyTiming) {
    frmMain& m = start();
    const fs::path tone = dir / "music" / "tone.wav";
    fs::create_directories(tone.parent_path());
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -c 2 -b 16 " + test::shellQuote(tone.string()) +
                               " synth 0.8 pluck A4 : synth 0.8 pluck C5 : synth 0.8 pluck E5")
                  .exitCode,
              0);
    std::vector<WizardStep> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        u.click(w.optWave(2));
        ui.expectFileDialog({.title = "Select Audio File"}).choose(tone.string());
        auto next = [&] {
            u.click(w.cmdNav(3));
            steps.push_back(w.CurrentStep);
        };
        next();  // the audio file
        next();  // what instruments
        u.click(w.optFilter(0));
        next();  // the output patch
        const int row = RowWithLeadingNumber(w.cboMidiPatch, kFlute);
        ASSERT_GE(row, 0);
        u.pick(w.cboMidiPatch, row);
        next();  // timing
        u.click(w.optSync(0));
        next();  // MIDI names
        next();  // finish
        u.click(w.cmdNav(4));
    });
    convertOnFinish();
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(steps, (std::vector<WizardStep>{WizardStep::AudioFile, WizardStep::WhatInstruments,
                                              WizardStep::OutputPatch, WizardStep::TimingSetting,
                                              WizardStep::MidiFileName, WizardStep::Finish}));
    EXPECT_EQ(G().TempoDetect, 1);  // easy timing: the tempo is detected
    const MidiContent content = convertedAlone(m, tone.string(), "tone.mid");
    for (int key : {69, 72, 76}) EXPECT_TRUE(content.keys.count(key)) << "key " << key;
    EXPECT_TRUE(content.programs.count(kFlute));
}

TEST_F(WizardE2E, ACdTrackTransferredAndConvertedAsOneKnownInstrument) {
    frmMain& m = start();
    const fs::path drive = dir / "drive";
    fs::create_directories(drive);
    ASSERT_TRUE(melody(drive / "Track01.wav", {"C4", "E4", "G4", "C5"}));
    test::ScopedEnv drives("VELTRANE_CD_DRIVES", drive.string());
    const std::string target = (dir / "music" / "track.wav").string();
    fs::create_directories(dir / "music");
    std::vector<WizardStep> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        u.click(w.optWave(4));
        u.click(w.cmdNav(3));
        ASSERT_EQ(w.CurrentStep, WizardStep::CdTransfer);
        ui.advance(500);
        ASSERT_GE(w.lstTracks.ListCount(), 1);
        ui.expectFileDialog({.title = "Save Wave File As"}).choose(target);
        u.click(w.cmdNav(3));  // no audio yet: the transfer starts
        for (int i = 0; i < 40 && w.StatusBarCD.Text() != "Completed Transfer"; ++i)
            ui.advance(500);
        ASSERT_EQ(w.StatusBarCD.Text(), "Completed Transfer");
        nextUntilFinish(
            w, u,
            [&](WizardStep step) {
                if (step == WizardStep::WhatInstruments)
                    u.click(w.optFilter(1));  // known instruments: one of them
                if (step == WizardStep::OriginalInstrument) {
                    const int row = RowWithLeadingNumber(w.cboFilter, kPiano);
                    ASSERT_GE(row, 0);
                    u.pick(w.cboFilter, row);
                }
            },
            steps);
    });
    convertOnFinish();
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(steps,
              (std::vector<WizardStep>{WizardStep::WhatInstruments, WizardStep::OriginalInstrument,
                                       WizardStep::Polyphony, WizardStep::TimingSetting,
                                       WizardStep::MidiFileName, WizardStep::Finish}));
    const MidiContent content = convertedAlone(m, target, "cd.mid");
    for (int key : {60, 64, 67}) EXPECT_TRUE(content.keys.count(key)) << "key " << key;
}

TEST_F(WizardE2E, ATakeRecordedFromTheSoundCardIsSavedAndConverted) {
    platform::wave_in::useDevices(&input);
    frmMain& m = start();
    const std::vector<int16_t> samples = pluckedSamples("sung.raw", {"D4", "F4", "A4"});
    const std::string take = (dir / "music" / "take.wav").string();
    fs::create_directories(dir / "music");
    std::vector<WizardStep> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        u.click(w.optWave(1));  // from a cassette: no metronome
        u.click(w.cmdNav(3));
        ASSERT_EQ(w.CurrentStep, WizardStep::RecordAudio);
        ASSERT_TRUE(w.MMControl.userClick(ui::MediaControl::Record));
        input.deliver(samples);
        ui.advance(2200);
        stopSaveAndFinish(w, u, take, steps);
    });
    convertOnFinish();
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(steps.front(), WizardStep::WhatInstruments);
    const MidiContent content = convertedAlone(m, take, "record.mid");
    for (int key : {62, 65, 69}) EXPECT_TRUE(content.keys.count(key)) << "key " << key;
}

// The default road: "Record directly" to the metronome with its default tempo and "Auto" beats
// per measure, a take of `played` (what the player plays, heard by the file-backed sound card,
// so the level meter's first reading is already the player's first note), Save, and every later
// page left as it is. Then the conversion: it finishes, or (`finishes` false) it ends with the
// box of timing that could not be detected.
void WizardE2E::recordDirectly(const fs::path& played, bool finishes) {
    test::InstalledDevices<platform::wave_in::FileDevices> soundCard(played,
                                                                     &ui::runtime().clock());
    platform::midi_out::useDevices(&midi);  // the metronome plays on it
    frmMain& m = start();
    const std::string take = (dir / "music" / "take.wav").string();
    fs::create_directories(dir / "music");
    std::vector<WizardStep> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        ASSERT_TRUE(w.optWave(0).Value());  // "Record directly" is the default
        u.click(w.cmdNav(3));
        ASSERT_EQ(w.CurrentStep, WizardStep::Metronome);
        EXPECT_EQ(w.txtTimeNum.Text(), "Auto");
        u.click(w.cmdNav(3));
        ASSERT_EQ(w.CurrentStep, WizardStep::RecordAudio);
        ASSERT_TRUE(w.MMControl.userClick(ui::MediaControl::Record));
        for (int i = 0; i < 20 && ui::forms::get<frmRecord>().RecordState() != "Record"; ++i)
            ui.advance(250);
        ASSERT_EQ(ui::forms::get<frmRecord>().RecordState(), "Record");
        ui.advance(10500);
        stopSaveAndFinish(w, u, take, steps);
    });
    convertOnFinish(/*closeResults=*/finishes);
    if (!finishes) {
        ui.expectBox(test_boxes::Box("Insufficient information to detect timing settings. You "
                                     "must manually tap in the tempo and select a Timing "
                                     "Resolution for this audio file.  -9.036",
                                     "Conversion error", 16, 167))
            .answer(ui::OK);
    }
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(steps,
              (std::vector<WizardStep>{WizardStep::WhatInstruments, WizardStep::OriginalInstrument,
                                       WizardStep::Polyphony, WizardStep::TimingResolution,
                                       WizardStep::MidiFileName, WizardStep::Finish}));
    EXPECT_EQ(G().InputThreshold, 384);  // the first reading was music: not a threshold
    EXPECT_EQ(G().Tempo, 120);
    EXPECT_EQ(m.sbStatusBar.Text(), finishes ? "Finished" : "Error");
    if (!finishes) G().ProjectChanged = false;  // no save question when the window closes
}

// Twenty notes on the beats of the metronome's default 120 BPM, 0.5 s apart.
const std::vector<int> kTwentyNotes = {60, 64, 67, 72, 62, 65, 69, 74, 64, 67,
                                       71, 76, 65, 69, 72, 77, 67, 71, 74, 79};

TEST_F(WizardE2E, RecordDirectlyWithTheDefaults) {
    // A piano, as a player would record it: every note has its attack.
    std::vector<test::ScoreNote> score;
    for (size_t i = 0; i < kTwentyNotes.size(); ++i)
        score.push_back({.onset = 0.5 * double(i), .duration = 0.45, .key = kTwentyNotes[i]});
    const fs::path rendered = dir / "rendered.wav", played = dir / "played.wav";
    ASSERT_TRUE(test::renderScore(score, dir.path(), rendered));
    // Recorded at a good level (the recorder warns below a quarter of full scale).
    ASSERT_EQ(test::runCommand("sox " + test::shellQuote(rendered.string()) + " " +
                               test::shellQuote(played.string()) + " norm -3")
                  .exitCode,
              0);
    recordDirectly(played, /*finishes=*/true);
    convertedAlone(MainForm(), (dir / "music" / "take.wav").string(), "record-directly.mid");
    EXPECT_EQ(test::readMidi(G().MidiFiles(1)).keysInOrder(), kTwentyNotes);
}

// The same melody of sines played legato: one level onset at its start and none after it, so no
// grid can be fitted to the take, and the conversion says so.
TEST_F(WizardE2E, RecordDirectlyALegatoSineMelodyEndsWithTimingNotDetected) {
    const fs::path played = dir / "played.wav";
    std::string synth;
    for (const char* note : {"C4", "E4", "G4", "C5", "D4", "F4", "A4", "D5", "E4", "G4",
                             "B4", "E5", "F4", "A4", "C5", "F5", "G4", "B4", "D5", "G5"})
        synth += std::string(synth.empty() ? "" : " :") + " synth 0.5 sine " + note;
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -c 2 -b 16 " +
                               test::shellQuote(played.string()) + synth)
                  .exitCode,
              0);
    recordDirectly(played, /*finishes=*/false);
    EXPECT_FALSE(fs::exists(G().MidiFiles(1)));
}

TEST_F(WizardE2E, RealTimeRunsTheLiveWindowAndPlaysTheNotesHeard) {
    const fs::path wav = dir / "sung.wav";
    const fs::path log = dir / "midi.log";
    // A sung-like line: C D E F G with a slight tremolo, as the live window's level follows it.
    std::string synth;
    for (const char* f : {"261.63", "293.66", "329.63", "349.23", "392"})
        synth += std::string(synth.empty() ? "" : " : ") + "synth 0.4 sine " + f +
                 " fade 0.01 0.4 0.02 tremolo 5 20";
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -b 16 -c 1 " + test::shellQuote(wav.string()) +
                               " " + synth + " gain -3")
                  .exitCode,
              0);
    test::ScopedEnv engineDir("VELTRANE_SYSTEM_DIR", test::binDir().string());
    test::ScopedEnv input("VELTRANE_WAVEIN_FILE", wav.string());
    test::ScopedEnv paced("VELTRANE_WAVEIN_PACED", "engine");  // a starved engine hears it later
    test::ScopedEnv output("VELTRANE_MIDIOUT_LOG", log.string());
    // The note-ons the engine has played so far.
    auto notesPlayed = [&] {
        int notes = 0;
        for (const std::string& line : test::splitLines(test::readFile(log))) {
            unsigned ms = 0, status = 0, key = 0, velocity = 0;
            if (std::sscanf(line.c_str(), "%u %x %x %x", &ms, &status, &key, &velocity) == 4 &&
                (status & 0xF0) == 0x90 && velocity > 0)
                ++notes;
        }
        return notes;
    };
    frmMain& m = start();
    std::vector<WizardStep> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        u.click(w.optWave(3));
        nextUntilFinish(
            w, u,
            [&](WizardStep step) {
                if (step == WizardStep::WhatInstruments)
                    u.click(w.optFilter(0));  // unknown instruments: one patch
            },
            steps);
    });
    bool live = false;
    ui.onModal<frmLive>([&](frmLive& f, User& u) {
        live = true;
        // The window's clock follows real time while the engine hears the input, until it has
        // played a note (the limit only ends a run that went wrong).
        for (int tick = 0; tick < 1200 && ui::isLoaded<frmLive>() && notesPlayed() == 0; ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ui.advance(56);
        }
        if (!ui::isLoaded<frmLive>()) return;
        u.click(f.cmdClose);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (ui::isLoaded<frmLive>() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ui.advance(56);
        }
        EXPECT_FALSE(ui::isLoaded<frmLive>());
    });
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(steps, (std::vector<WizardStep>{WizardStep::WhatInstruments, WizardStep::OutputPatch,
                                              WizardStep::Finish}));
    EXPECT_TRUE(live);
    EXPECT_FALSE(ui::isLoaded<frmLive>());
    EXPECT_GT(notesPlayed(), 0) << test::readFile(log);
    if (const char* out = std::getenv("VELT_E2E_OUT"); out != nullptr && *out != '\0') {
        fs::create_directories(out);
        fs::copy_file(log, fs::path(out) / "realtime.log", fs::copy_options::overwrite_existing);
    }
    G().ProjectChanged = false;
}

TEST_F(WizardE2E, ScoreBuildingRecordsAPartOverTheFirstResult) {
    platform::wave_in::useDevices(&input);
    platform::midi_out::useDevices(&midi);  // the metronome and the master file play on it
    frmMain& m = start();
    const fs::path tone = dir / "music" / "tone.wav";
    fs::create_directories(tone.parent_path());
    ASSERT_TRUE(melody(tone, {"C4", "E4", "G4"}));
    const std::vector<int16_t> samples = pluckedSamples("part.raw", {"E4", "G4", "B4"});
    const std::string take = (dir / "music" / "part.wav").string();

    // The first project: the file, converted, then the results window asks for a score.
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        u.click(w.optWave(2));
        ui.expectFileDialog({.title = "Select Audio File"}).choose(tone.string());
        std::vector<WizardStep> first;
        nextUntilFinish(
            w, u, [](WizardStep) {}, first);
    });
    convertOnFinish(/*closeResults=*/false);
    std::string master;
    ui.onModal<frmResults>([&](frmResults& r, User& u) {
        master = G().MidiFiles(1);
        u.click(r.optAction(5));
        ui.expectBox({.text = "Save project changes?"}).answer(ui::No);  // New asks
        u.click(r.cmdClose);
    });
    // The second: the wizard opens on the master file page with the first result.
    WizardStep startStep = WizardStep::Blank;
    std::string masterShown;
    std::vector<WizardStep> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        startStep = w.CurrentStep;
        masterShown = w.txtMasterFile.Text();
        u.click(w.cmdNav(3));
        ASSERT_EQ(w.CurrentStep, WizardStep::RecordAudio);
        ASSERT_TRUE(w.MMControl.userClick(ui::MediaControl::Record));
        for (int i = 0; i < 20 && ui::forms::get<frmRecord>().RecordState() != "Record"; ++i)
            ui.advance(250);  // the count-in
        ASSERT_EQ(ui::forms::get<frmRecord>().RecordState(), "Record");
        input.deliver(samples);
        ui.advance(2200);
        stopSaveAndFinish(w, u, take, steps);
    });
    convertOnFinish();
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(startStep, WizardStep::MasterFile);
    EXPECT_EQ(masterShown, fs::path(master).stem().string());
    const MidiContent content = convertedAlone(m, take, "score.mid");
    for (int key : {64, 67, 71}) EXPECT_TRUE(content.keys.count(key)) << "key " << key;
}

// The main road with the default choices: file, then Next to the end, and Finish converts.
TEST_F(WizardE2E, TheMainRoadConvertsTheChosenFileIntoMidiNotes) {
    frmMain& m = start();
    const fs::path melody = dir / "music" / "melody.wav";
    ASSERT_TRUE(test::makeMelody(melody, {.rate = 44100, .channels = 2, .noteSeconds = 1.0}));

    std::vector<WizardStep> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        u.click(w.optWave(2));
        ui.expectFileDialog({.title = "Select Audio File", .flags = 4}).choose(melody.string());
        for (int i = 0; i < 8 && w.cmdNav(3).Enabled(); ++i) {
            u.click(w.cmdNav(3));
            steps.push_back(w.CurrentStep);
        }
        u.click(w.cmdNav(4));
    });
    convertOnFinish();
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(steps, (std::vector<WizardStep>{WizardStep::AudioFile, WizardStep::WhatInstruments,
                                              WizardStep::OutputPatch, WizardStep::TimingSetting,
                                              WizardStep::MidiFileName, WizardStep::Finish}));
    const MidiContent content = convertedAlone(m, melody.string(), "");
    // The melody's notes C4 E4 G4 C5 are among those heard.
    for (int key : {60, 64, 67, 72}) EXPECT_TRUE(content.keys.count(key)) << "key " << key;
}

}  // namespace
}  // namespace velt::desk

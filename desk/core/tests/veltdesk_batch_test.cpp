// veltdesk /prf=<project> /log=<log> as a user runs it on a machine with no display: the real
// program, bridge and engine convert a sox tone and a fluidsynth render, each run adds one line
// to the log, and the exit status tells the outcome.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "audio_fixtures.h"
#include "midicsv_reader.h"
#include "test_support.h"
#include "veltdesk_process.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

class VeltdeskBatch : public ::testing::Test {
  protected:
    // Runs veltdesk with the arguments; gives what it wrote to standard output and error.
    // `seconds`: the longest it may run (0: no bound); `env`: more environment ("NAME=value").
    std::string veltdesk(const std::string& args, int seconds = 0, const std::string& env = "") {
        auto result = test_process::runVeltdesk(dir.path(), args, false, seconds, env);
        exitCode = result.exitCode;
        return result.output;
    }
    // Converts `project` from the command line, logging to `log`.
    std::string convert(const fs::path& project, const fs::path& log) {
        return veltdesk("/prf=" + test::shellQuote(project.string()) +
                        " /log=" + test::shellQuote(log.string()));
    }
    void writeProject(const fs::path& project, const fs::path& wav, const fs::path& mid,
                      const std::string& pitchKeys) {
        test::writeFile(project, "[audio]\nAudioFile=" + wav.string() + "\n[pitch]\n" + pitchKeys +
                                     "[timing]\nTempoDetect=0\nTempo=120\n"
                                     "TimeSignatureNumerator=4\nChordRes=4\n[midi]\nMidiFile=" +
                                     mid.string() + "\n");
    }
    // Working files the program left in its private temporary folder.
    std::vector<std::string> leftWorkingFiles() {
        std::vector<std::string> left;
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(dir / "run", ec)) {
            const std::string name = e.path().filename().string();
            if (name.rfind("~", 0) == 0 && e.path().extension() == ".wav") left.push_back(name);
        }
        return left;
    }

    test::TempDir dir;
    int exitCode = -1;
};

TEST_F(VeltdeskBatch, ConvertsASoxToneAndAFluidsynthRenderWithoutADisplay) {
    const fs::path log = dir / "log.txt";

    const fs::path tone = dir / "a4 tone.wav";
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -b 16 -c 1 " + test::shellQuote(tone.string()) +
                               " synth 3 sine 440 gain -6")
                  .exitCode,
              0);
    const fs::path toneProject = dir / "tone.vpr";
    writeProject(toneProject, tone, dir / "tone.mid", "PitchMode=1\n");
    EXPECT_EQ(convert(toneProject, log), "");
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(test::readMidi(dir / "tone.mid").hasNote(0, 69));

    // Three piano notes, C4 E4 G4 one after the other, rendered by fluidsynth.
    test::writeFile(dir / "score.csv",
                    "0, 0, Header, 0, 1, 480\n1, 0, Start_track\n1, 0, Tempo, 500000\n"
                    "1, 0, Program_c, 0, 0\n"
                    "1, 0, Note_on_c, 0, 60, 100\n1, 960, Note_off_c, 0, 60, 0\n"
                    "1, 960, Note_on_c, 0, 64, 100\n1, 1920, Note_off_c, 0, 64, 0\n"
                    "1, 1920, Note_on_c, 0, 67, 100\n1, 2880, Note_off_c, 0, 67, 0\n"
                    "1, 3840, End_track\n0, 0, End_of_file\n");
    const fs::path render = dir / "piano.wav";
    ASSERT_EQ(test::runCommand("csvmidi " + test::shellQuote((dir / "score.csv").string()) + " " +
                               test::shellQuote((dir / "score.mid").string()) +
                               " && fluidsynth -ni -q -g 1.0 -r 44100 -T wav -F " +
                               test::shellQuote(render.string()) +
                               " /usr/share/sounds/sf2/FluidR3_GM.sf2 " +
                               test::shellQuote((dir / "score.mid").string()) + " >/dev/null 2>&1")
                  .exitCode,
              0);
    const fs::path pianoProject = dir / "piano.vpr";
    writeProject(pianoProject, render, dir / "piano.mid", "PitchMode=4\nKeyMin=36\nKeyMax=84\n");
    EXPECT_EQ(convert(pianoProject, log), "");
    EXPECT_EQ(exitCode, 0);
    const std::set<int> piano = test::readMidi(dir / "piano.mid").keys();
    for (int key : {60, 64, 67}) EXPECT_TRUE(piano.count(key)) << key;

    // Two runs, two lines, each naming its project.
    auto lines = test::splitLines(test::readFile(log));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("  " + toneProject.string() + "  Completed successfully."),
              std::string::npos);
    EXPECT_NE(lines[1].find("  " + pianoProject.string() + "  Completed successfully."),
              std::string::npos);
}

TEST_F(VeltdeskBatch, AFailedConversionIsLoggedAndExitsWithOne) {
    const fs::path log = dir / "log.txt";
    const fs::path project = dir / "song.vpr";
    writeProject(project, dir / "missing.wav", dir / "song.mid", "");
    EXPECT_EQ(convert(project, log), "");
    EXPECT_EQ(exitCode, 1);
    auto lines = test::splitLines(test::readFile(log));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(
        lines[0].find("  " + project.string() + "  Specified Audio File does not exist.  -3.015"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "song.mid"));
}

// Audio shorter than one analysis window (0.04269 s) is refused in the program's own words,
// with no MIDI file; a little longer converts.
TEST_F(VeltdeskBatch, AudioShorterThanOneAnalysisWindowIsRefused) {
    struct Case {
        const char* seconds;
        int exitCode;
        const char* outcome;
    } cases[] = {{"0.02", 1, "This audio file is too short."},
                 {"0.5", 0, "Completed successfully."}};
    const fs::path log = dir / "log.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        fs::remove(log);
        const fs::path tone = dir / (std::string(c.seconds) + " s.wav");
        const fs::path mid = dir / (std::string(c.seconds) + " s.mid");
        ASSERT_EQ(
            test::runCommand("sox -D -n -r 44100 -b 16 -c 1 " + test::shellQuote(tone.string()) +
                             " synth " + c.seconds + " sine 440 gain -6")
                .exitCode,
            0);
        const fs::path project = dir / "short.vpr";
        writeProject(project, tone, mid, "PitchMode=1\n");
        EXPECT_EQ(convert(project, log), "");
        EXPECT_EQ(exitCode, c.exitCode);
        auto lines = test::splitLines(test::readFile(log));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("  " + project.string() + "  " + c.outcome), std::string::npos)
            << lines[0];
        EXPECT_EQ(fs::exists(mid), c.exitCode == 0);
    }
}

// A log that cannot be written makes even a successful conversion a failure: exit status 1, and
// standard error names the log and gives the line it lost.
TEST_F(VeltdeskBatch, ALogThatCannotBeWrittenFailsTheRun) {
    const fs::path tone = dir / "tone.wav";
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -b 16 -c 1 " + test::shellQuote(tone.string()) +
                               " synth 1 sine 440 gain -6")
                  .exitCode,
              0);
    const fs::path good = dir / "tone.vpr";
    writeProject(good, tone, dir / "tone.mid", "PitchMode=1\n");
    const fs::path bad = dir / "song.vpr";
    writeProject(bad, dir / "missing.wav", dir / "song.mid", "");
    fs::create_directories(dir / "a folder");
    struct Case {
        const char* name;
        fs::path project, log;
        const char* outcome;
    } cases[] = {
        {"success, log in a missing folder", good, dir / "no" / "log.txt",
         "Completed successfully."},
        {"success, log is a folder", good, dir / "a folder", "Completed successfully."},
        {"failure, log in a missing folder", bad, dir / "no" / "log.txt",
         "Specified Audio File does not exist.  -3.015"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string said = convert(c.project, c.log);
        EXPECT_EQ(exitCode, 1);
        EXPECT_EQ(said, "Cannot write to the log file " + c.log.string() + "\n" +
                            c.project.string() + "  " + c.outcome + "\n");
    }
    EXPECT_TRUE(fs::exists(dir / "tone.mid"));
}

// A shared project may name any file as its MIDI file: one that is not a MIDI file (a shell's
// settings) is never replaced; the run is logged as failed and the file stays as it was.
TEST_F(VeltdeskBatch, AMidiFileNameThatIsNoMidiFileIsLeftUntouched) {
    const fs::path log = dir / "log.txt";
    const fs::path tone = dir / "tone.wav";
    ASSERT_EQ(test::runCommand("sox -D -n -r 22050 -b 16 -c 1 " + test::shellQuote(tone.string()) +
                               " synth 1 sine 440 gain -6")
                  .exitCode,
              0);
    const fs::path settings = dir / ".bashrc";
    const std::string text = "export PATH=$HOME/bin:$PATH\nalias ll='ls -l'\n";
    test::writeFile(settings, text);
    const fs::path project = dir / "shared.vpr";
    writeProject(project, tone, settings, "PitchMode=1\n");
    EXPECT_EQ(convert(project, log), "");
    EXPECT_EQ(exitCode, 1);
    auto lines = test::splitLines(test::readFile(log));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("  " + project.string() + "  Unable to create MIDI File.  -3.006"),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(test::readFile(settings), text);
}

// Compressed audio converts from the command line as Convert converts it: decoded first by the
// same decoders (mpunpack for MP3, the decoder component for WMA and AAC, our AIFF reader), with
// no window, one line in the log, the MIDI file where the project names it (or beside the audio
// when it names none) and the working WAV file removed.
TEST_F(VeltdeskBatch, CompressedAudioIsDecodedConvertedAndLogged) {
    const fs::path melody = dir / "melody.wav";
    ASSERT_TRUE(test::makeMelody(melody, {.rate = 44100, .channels = 2, .noteSeconds = 1.0}));
    const fs::path music = dir / "my music";
    fs::create_directories(music);
    ASSERT_TRUE(test::encode(melody, music / "song.mp3", test::Encoding::Mp3));
    ASSERT_TRUE(test::encode(melody, music / "song.wma", test::Encoding::Wma));
    ASSERT_TRUE(test::encode(melody, music / "song.aac", test::Encoding::Aac));
    ASSERT_TRUE(test::makeMelody(music / "song.aiff", {.rate = 44100, .noteSeconds = 1.0}));

    const fs::path log = dir / "log.txt";
    const std::string pitch = "PitchMode=1\nKeyMin=36\nKeyMax=84\n";
    writeProject(dir / "wave.vpr", melody, dir / "wave.mid", pitch);
    EXPECT_EQ(convert(dir / "wave.vpr", log), "");
    ASSERT_EQ(exitCode, 0);
    const std::vector<int> heard = test::readMidi(dir / "wave.mid").keysInOrder();
    EXPECT_EQ(heard, (std::vector<int>{60, 64, 67, 72}));

    struct Case {
        const char* audio;
        const char* midi;  // empty: the project names none
        const char* written;
    } cases[] = {
        {"song.mp3", "mp3.mid", "mp3.mid"},
        {"song.wma", "wma.mid", "wma.mid"},
        {"song.aac", "aac.mid", "aac.mid"},
        {"song.aiff", "", "song.mid"},
    };
    int lines = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.audio);
        const fs::path project = dir / (std::string(c.audio) + ".vpr");
        writeProject(project, music / c.audio, *c.midi ? music / c.midi : fs::path(), pitch);
        EXPECT_EQ(convert(project, log), "");
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(test::readMidi(music / c.written).keysInOrder(), heard);
        auto logged = test::splitLines(test::readFile(log));
        ASSERT_EQ(logged.size(), static_cast<size_t>(++lines));
        EXPECT_NE(logged.back().find("  " + project.string() + "  Completed successfully."),
                  std::string::npos)
            << logged.back();
        EXPECT_EQ(leftWorkingFiles(), std::vector<std::string>{});
    }
}

// A file the decoder refuses: the log line gives the decoder's own message, the exit status is
// 1, and no MIDI file or working WAV file is left.
TEST_F(VeltdeskBatch, ADecodeFailureIsLoggedWithTheDecodersMessage) {
    const fs::path music = dir / "music";
    fs::create_directories(music);
    std::string noise(20000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    struct Case {
        const char* audio;
        std::string message;
    } cases[] = {
        {"noise.mp3", "ERROR: Cannot decode mp3 file (unsupported format)"},
        {"noise.aiff", "Error 99: Not a valid AIFF file."},
        {"missing.wma", "Specified Audio File does not exist.  -3.015"},
    };
    const fs::path log = dir / "log.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.audio);
        if (std::string(c.audio).rfind("noise", 0) == 0) test::writeFile(music / c.audio, noise);
        const fs::path project = dir / "noise.vpr";
        writeProject(project, music / c.audio, dir / "noise.mid", "PitchMode=1\n");
        fs::remove(log);
        convert(project, log);
        EXPECT_EQ(exitCode, 1);
        auto logged = test::splitLines(test::readFile(log));
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_NE(logged[0].find("  " + project.string() + "  " + c.message), std::string::npos)
            << logged[0];
        EXPECT_FALSE(fs::exists(dir / "noise.mid"));
        EXPECT_EQ(leftWorkingFiles(), std::vector<std::string>{});
    }
}

// A project the engine would run live (no audio file: the sound card, until someone cancels)
// or a file that is no project at all: refused with a log line, exit status 1, no engine.
TEST_F(VeltdeskBatch, AProjectWithoutAudioOrNoProjectAtAllIsRefusedWithoutAnEngine) {
    const fs::path log = dir / "log.txt";
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) % 256);
    struct Case {
        const char* name;
        std::string content;
        std::string outcome;  // "" = the not-a-project text naming the file
    };
    const Case cases[] = {
        {"no audio key", "[timing]\nTempo=120\n[midi]\nMidiFile=live.mid\n",
         "No Audio File specified.  -3.023"},
        {"an empty audio key", "[audio]\r\nAudioFile=\r\n[timing]\r\nTempo=120\r\n",
         "No Audio File specified.  -3.023"},
        {"the last audio key is empty", "AudioFile=song.wav\n  AudioFile=\n",
         "No Audio File specified.  -3.023"},
        {"an empty file", "", "No Audio File specified.  -3.023"},
        {"random bytes", noise, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(log);
        const fs::path project = dir / "refused.vpr";
        test::writeFile(project, c.content);
        EXPECT_EQ(convert(project, log), "");
        EXPECT_EQ(exitCode, 1);
        auto lines = test::splitLines(test::readFile(log));
        ASSERT_EQ(lines.size(), 1u);
        const std::string outcome = c.outcome.empty() ? "The file '" + project.string() +
                                                            "' is not a valid Veltrane project."
                                                      : c.outcome;
        EXPECT_NE(lines[0].find("  " + project.string() + "  " + outcome), std::string::npos)
            << lines[0];
        EXPECT_FALSE(fs::exists(dir / "run" / "veltrane" / "~kvxstat.txt")) << "no engine started";
    }
}

// An audio file that is no regular file (a FIFO nobody writes, a folder, a device) is refused
// before any engine starts: waiting on its first read, a run without a window would never end.
TEST_F(VeltdeskBatch, AnAudioFileThatIsNoRegularFileIsRefused) {
    const fs::path log = dir / "log.txt";
    const fs::path fifo = dir / "stream.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(dir / "folder.wav");
    fs::create_symlink(fifo, dir / "link.wav");
    for (const fs::path& audio :
         {fifo, dir / "folder.wav", fs::path("/dev/zero"), dir / "link.wav"}) {
        SCOPED_TRACE(audio);
        fs::remove(log);
        const fs::path project = dir / "refused.vpr";
        writeProject(project, audio, dir / "refused.mid", "");
        // Bounded: a program that waited on the FIFO would be ended here and fail the test.
        EXPECT_EQ(veltdesk("/prf=" + test::shellQuote(project.string()) +
                               " /log=" + test::shellQuote(log.string()),
                           60),
                  "");
        EXPECT_EQ(exitCode, 1);
        auto lines = test::splitLines(test::readFile(log));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("  " + project.string() + "  The file '" + audio.string() +
                                "' is not a valid audio file."),
                  std::string::npos)
            << lines[0];
        EXPECT_FALSE(fs::exists(dir / "run" / "veltrane" / "~kvxstat.txt")) << "no engine started";
    }
}

// Without "/log=" the line goes to the user's data folder, which an installed program can
// write, and never beside the program.
TEST_F(VeltdeskBatch, TheDefaultLogLivesInTheUsersDataFolder) {
    const fs::path project = dir / "song.vpr";
    test::writeFile(project, "[timing]\nTempo=120\n");  // refused at once: no audio file
    const fs::path besideProgram = test::binDir() / "log.txt";
    const auto before = fs::exists(besideProgram) ? test::readFile(besideProgram) : "";
    veltdesk("/prf=" + test::shellQuote(project.string()));
    EXPECT_EQ(exitCode, 1);
    const fs::path log = dir / "home" / ".local" / "share" / "Veltrane Rizaduzede" / "log.txt";
    auto lines = test::splitLines(test::readFile(log));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("  " + project.string() + "  No Audio File specified.  -3.023"),
              std::string::npos);
    EXPECT_EQ(fs::exists(besideProgram) ? test::readFile(besideProgram) : "", before);

    // XDG_DATA_HOME, when set, is the data folder.
    const fs::path data = dir / "data";
    veltdesk("/prf=" + test::shellQuote(project.string()), 0,
             "XDG_DATA_HOME=" + test::shellQuote(data.string()));
    EXPECT_EQ(test::splitLines(test::readFile(data / "Veltrane Rizaduzede" / "log.txt")).size(),
              1u);
}

}  // namespace
}  // namespace velt::desk

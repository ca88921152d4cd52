// The master MIDI file: its channels listed with the instruments of "filter.txt", its first
// tempo (kept exact), metre and key taken over, damaged values left out, the refusals of the
// check, erasing the name, and the order of the command strings when it plays along.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/core/shared/key_names.h"
#include "recorder_fixture.h"

namespace velt::desk::test_recorder {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

class RecorderMaster : public RecorderTest {
  protected:
    void SetUp() override {
        RecorderTest::SetUp();
        test::writeFile(G().InstallFolder + "filter.txt",
                        "0 - Acoustic Grand Piano,21,108,30\n40 - Violin,55,103,1\n"
                        "73 - Flute,60,96,1\n");
    }
    // A MIDI file made by csvmidi from its CSV text.
    std::string midiFile(const std::string& name, const std::string& csv) {
        const fs::path text = dir / (name + ".csv"), file = dir / (name + ".mid");
        test::writeFile(text, csv);
        auto run = test::runCommand("csvmidi " + test::shellQuote(text.string()) + " " +
                                    test::shellQuote(file.string()) + " 2>&1");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return file.string();
    }
    // A format 0 file of one track holding `events` (delta times included) and its end.
    std::string rawFile(const std::string& name, std::vector<uint8_t> events, bool withEnd = true) {
        if (withEnd) events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
        std::vector<uint8_t> bytes{'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
                                   1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0};
        bytes.push_back(static_cast<uint8_t>(events.size()));
        bytes.insert(bytes.end(), events.begin(), events.end());
        const fs::path file = dir / (name + ".mid");
        test::writeFile(file, std::string(bytes.begin(), bytes.end()));
        return file.string();
    }
    void choose(frmRecord& f, const std::string& path) {
        ui.expectFileDialog({.title = "Select Master MIDI File",
                             .filter = "MIDI File (*.mid)|*.mid|All Files (*.*)|*.*",
                             .flags = 4})
            .choose(path);
        f.cmdMasterBrowse_Click();
    }
    std::vector<std::string> channels(const frmRecord& f) {
        std::vector<std::string> rows;
        for (int i = 0; i < f.lstChannels.ListCount(); ++i) rows.push_back(f.lstChannels.List(i));
        return rows;
    }

    const std::string kScore =
        "0, 0, Header, 1, 2, 480\n"
        "1, 0, Start_track\n"
        "1, 0, Tempo, 652174\n"
        "1, 0, Time_signature, 3, 3, 24, 8\n"
        "1, 0, Key_signature, -3, \"minor\"\n"
        "1, 960, Tempo, 400000\n"
        "1, 960, Time_signature, 4, 2, 24, 8\n"
        "1, 960, End_track\n"
        "2, 0, Start_track\n"
        "2, 0, Program_c, 0, 40\n"
        "2, 0, Note_on_c, 0, 60, 90\n"
        "2, 0, Note_on_c, 1, 62, 90\n"
        "2, 0, Program_c, 2, 99\n"
        "2, 0, Note_on_c, 2, 64, 90\n"
        "2, 0, Program_c, 9, 0\n"
        "2, 0, Note_on_c, 9, 36, 90\n"
        "2, 0, Note_on_c, 15, 40, 90\n"
        "2, 240, Note_off_c, 0, 60, 0\n"
        "2, 240, Note_off_c, 1, 62, 0\n"
        "2, 240, Note_off_c, 2, 64, 0\n"
        "2, 240, Note_off_c, 9, 36, 0\n"
        "2, 240, Note_off_c, 15, 40, 0\n"
        "2, 480, End_track\n"
        "0, 0, End_of_file\n";
};

TEST_F(RecorderMaster, ListsTheChannelsAndTakesTheFirstTempoMetreAndKey) {
    G().MidiFolder = folder("midi");
    const std::string score = midiFile("score", kScore);
    frmRecord& f = shownRecorder();
    EXPECT_FALSE(f.lstChannels.Visible());
    choose(f, score);
    EXPECT_EQ(f.RecordFile, score);
    EXPECT_EQ(f.txtMasterFile.Text(), "score");
    EXPECT_EQ(G().MidiFolder, dir.path().string() + "/");
    EXPECT_TRUE(f.lstChannels.Visible());
    const std::vector<std::string> expected{"1: Violin",
                                            "2: <USED - instrument unknown>",
                                            "3: <USED> (instrument unknown)",
                                            "4: <available>",
                                            "5: <available>",
                                            "6: <available>",
                                            "7: <available>",
                                            "8: <available>",
                                            "9: <available>",
                                            "10: PERCUSSION",
                                            "11: <available>",
                                            "12: <available>",
                                            "13: <available>",
                                            "14: <available>",
                                            "15: <available>",
                                            "16: <USED - instrument unknown>"};
    EXPECT_EQ(channels(f), expected);
    // 60,000,000 / 652,174 µs: the box shows 92, the metronome keeps the exact tempo.
    EXPECT_EQ(f.txtTempo.Text(), "92");
    EXPECT_FLOAT_EQ(f.RecordTempo, static_cast<float>(60000000.0 / 652174));
    EXPECT_TRUE(f.txtTempo.Enabled());
    EXPECT_EQ(f.txtTimeNum.Text(), "3");
    EXPECT_EQ(f.DenominatorIndex(), 3);
    EXPECT_EQ(f.KeySignature(), -3);
    EXPECT_EQ(f.MinorFlag(), 1);
    EXPECT_TRUE(f.lblKey1.Visible());
    EXPECT_EQ(f.lblKey1.Caption(), KeyName(-3, 1));

    // Erasing the name (its whole text is selected on focus) ends the master.
    ui.user().type(f.txtMasterFile, "\b");
    EXPECT_EQ(f.txtMasterFile.Text(), "<NONE>");
    EXPECT_TRUE(f.RecordFile.empty());
    EXPECT_FALSE(f.lstChannels.Visible());
    EXPECT_FALSE(f.lblKey1.Visible());
    EXPECT_EQ(f.lstChannels.ListCount(), 0);
    // Other keys are not typed into the name.
    ui.user().type(f.txtMasterFile, "x");
    EXPECT_EQ(f.txtMasterFile.Text(), "<NONE>");
}

TEST_F(RecorderMaster, DamagedValuesAreLeftOut) {
    struct Case {
        const char* name;
        std::vector<uint8_t> events;
        const char* beats;
        int32_t denominator;
        bool key;
    } cases[] = {
        {"tempo 0", {0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x00}, "4", 2, false},
        {"numerator 0 and exponent 6",
         {0x00, 0xFF, 0x58, 0x04, 0x00, 0x06, 0x18, 0x08},
         "Auto",
         2,
         false},
        {"key 9", {0x00, 0xFF, 0x59, 0x02, 0x09, 0x00}, "4", 2, false},
        {"mode 2", {0x00, 0xFF, 0x59, 0x02, 0xFD, 0x02}, "4", 2, false},
        {"a short time signature", {0x00, 0xFF, 0x58, 0x01, 0x07}, "4", 2, false},
        {"key -7 minor", {0x00, 0xFF, 0x59, 0x02, 0xF9, 0x01}, "4", 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        editor->settings.timeNum = "4";
        editor->settings.timeDenomIndex = 2;
        editor->settings.tempo = 120;
        std::vector<uint8_t> events = c.events;
        events.insert(events.end(), {0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x00});
        const std::string file = rawFile(c.name, events);
        frmRecord& f = shownRecorder();
        choose(f, file);
        EXPECT_TRUE(f.lstChannels.Visible());
        EXPECT_EQ(f.txtTempo.Text(), "120");
        EXPECT_FLOAT_EQ(f.RecordTempo, 120);
        EXPECT_EQ(f.txtTimeNum.Text(), c.beats);
        EXPECT_EQ(f.DenominatorIndex(), c.denominator);
        EXPECT_EQ(f.lblKey1.Visible(), c.key);
        ui::Release<frmRecord>();
    }
}

TEST_F(RecorderMaster, RefusedFilesShowTheCheckMessageAndHideTheLists) {
    std::vector<uint8_t> format2{'M',  'T', 'h', 'd', 0,   0, 0, 6, 0, 2,    0,    1,    0x01,
                                 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
    std::vector<uint8_t> smpte = format2;
    smpte[9] = 0;
    smpte[12] = 0xE7;  // 25 frames per second
    smpte[13] = 0x28;
    test::writeFile(dir / "format2.mid", std::string(format2.begin(), format2.end()));
    test::writeFile(dir / "smpte.mid", std::string(smpte.begin(), smpte.end()));
    test::writeFile(dir / "text.mid", "RIFF this is not a MIDI file");
    struct Case {
        std::string file, message;
    } cases[] = {
        {(dir / "text.mid").string(), "Master file is not a valid MIDI file."},
        {(dir / "format2.mid").string(), "Only format 0 or format 1 MIDI files accepted."},
        {(dir / "smpte.mid").string(), "SMPTE format not supported."},
        // A tempo whose data bytes are cut off by the end of the file.
        {rawFile("cut", {0x00, 0xFF, 0x51, 0x03, 0x07}, false),
         "Master file is not a valid MIDI file."},
    };
    frmRecord& f = shownRecorder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ui.expectBox({.text = c.message, .title = "Master File Error"}).answer(ui::Answer::OK);
        choose(f, c.file);
        EXPECT_EQ(f.RecordFile, c.file);  // kept: Record reports what the device says
        EXPECT_FALSE(f.lstChannels.Visible());
        EXPECT_FALSE(f.lblKey1.Visible());
        EXPECT_EQ(f.txtTempo.Text(), "120");
    }
}

TEST_F(RecorderMaster, PlaysAlongWithTheTakeAndItsPlayBack) {
    const std::string score = midiFile("my score", kScore);
    G().RecMasterFile = score;
    frmRecord& f = shownRecorder();
    EXPECT_EQ(f.txtMasterFile.Text(), "my score");
    EXPECT_TRUE(f.lstChannels.Visible());
    const std::string master = "open " + quoted(score) + " type sequencer alias masterfile";

    int cancel = 0;
    f.MMControl_RecordClick(cancel);
    EXPECT_EQ(mci, (std::vector<std::string>{
                       "open new type waveaudio alias wavefile",
                       "set wavefile bitspersample 16 alignment 4 channels 2 samplespersec 44100 "
                       "bytespersec 176400",
                       master, "play masterfile", "record wavefile"}));
    feed(600);
    ui.advance(600);
    size_t from = mci.size();
    f.MMControl_StopClick(cancel);
    EXPECT_EQ(sentSince(from), (std::vector<std::string>{"stop wavefile", "stop masterfile",
                                                         "save wavefile " + quoted(takePath()),
                                                         "close wavefile", "close masterfile"}));
    from = mci.size();
    f.MMControl_PlayClick(cancel);
    EXPECT_EQ(sentSince(from), (std::vector<std::string>{
                                   "open " + quoted(takePath()) + " type waveaudio alias wavefile",
                                   master, "play masterfile", "play wavefile"}));
    ui.advance(600);
    EXPECT_EQ(f.RecordState(), "Idle");

    // Saved with the take, the master reaches the project.
    ui.expectFileDialog({}).choose(folder("out") + "with master.wav");
    f.cmdSave_Click();
    EXPECT_EQ(G().RecMasterFile, score);
}

TEST_F(RecorderMaster, AMasterThatIsGoneDoesNotStopTheTake) {
    const std::string score = midiFile("gone", kScore);
    G().RecMasterFile = score;
    frmRecord& f = shownRecorder();
    fs::remove(score);
    ui.expectBox({.title = "Open Record Master", .icon = 48, .help = 97}).answer(ui::Answer::OK);
    int cancel = 0;
    f.MMControl_RecordClick(cancel);
    EXPECT_EQ(f.RecordState(), "Record");
    EXPECT_EQ(mci.back(), "record wavefile");
    EXPECT_EQ(std::count(mci.begin(), mci.end(), "play masterfile"), 0);
    feed(100);
    ui.advance(100);
    f.MMControl_StopClick(cancel);
    EXPECT_EQ(mci.back(), "close wavefile");
    EXPECT_EQ(f.StatusBar.Text(), "Wave File Recorded");
    ui.expectFileDialog({}).cancel();
}

}  // namespace
}  // namespace velt::desk::test_recorder

// End to end: a take recorded through the settings dialog's Record button from an input fed with
// a sox melody (C4 D4 E4 F4 G4), saved, applied in the dialog and converted through the main
// dialog's OK ("Convert now?") with the real bridge and engine. The MIDI file holds the five notes;
// with VELT_E2E_OUT set it is kept there as take.mid.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "desk/settings/frm_properties.h"
#include "midicsv_reader.h"
#include "platform/wav/wav_file.h"
#include "recorder_fixture.h"

namespace velt::desk::test_recorder {
namespace {

namespace fs = std::filesystem;
using User = ui::test::User;

class RecorderE2E : public RecorderTest {
  protected:
    void SetUp() override {
        RecorderTest::SetUp();
        ui::forms::install<frmRecord>([] { return std::make_unique<frmRecord>(); });
        G().InstallFolder = test::binDir().string() + "/";
    }
    // The samples of a 16-bit PCM WAV file.
    std::vector<int16_t> samplesOf(const fs::path& file) {
        auto layout = platform::wav::readLayout(file);
        EXPECT_TRUE(layout.has_value());
        if (!layout) return {};
        const std::vector<unsigned char> bytes = test::readBytes(file);
        std::vector<int16_t> samples;
        for (size_t i = layout->dataOffset; i + 1 < bytes.size(); i += 2)
            samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
        return samples;
    }

    RealEngineEnv realEngine{dir.path()};
};

TEST_F(RecorderE2E, ARecordedMelodyConvertsToItsNotes) {
    const fs::path melody = dir / "melody.wav";
    std::string sox = "sox -n -r 44100 -c 2 -b 16 " + test::shellQuote(melody.string());
    const char* notes[] = {"C4", "D4", "E4", "F4", "G4"};
    for (int i = 0; i < 5; ++i)
        sox += std::string(i > 0 ? " :" : "") + " synth 0.6 pluck " + notes[i];
    ASSERT_EQ(test::runCommand(sox + " 2>&1").exitCode, 0);
    const std::vector<int16_t> samples = samplesOf(melody);
    ASSERT_EQ(samples.size(), 2u * 26460u * 5u);

    frmMain& m = start();
    Global& g = G();
    g.TempoDetect = 0;
    enableProjectEditing(m);
    const std::string take = folder("my music") + "take.wav";
    ui.onModal<frmProperties>([&](frmProperties& p, User& u) {
        ui.onModal<frmRecord>([&](frmRecord& r, User& ru) {
            ASSERT_TRUE(ru.click(r.cmdMetronome));  // the panel open: one bar of count-in
            r.txtTimeNum.setText("4");
            r.txtTempo.setText("100");
            ASSERT_TRUE(r.MMControl.userClick(ui::MediaControl::Record));
            ui.advance(2400);  // four beats at 100 BPM
            ASSERT_EQ(r.RecordState(), "Record");
            input.deliver(samples);
            ui.advance(3000);
            ASSERT_TRUE(r.MMControl.userClick(ui::MediaControl::Stop));
            EXPECT_EQ(r.TakeLengthMs(), 3000);
            ui.expectFileDialog({.title = "Save Wave File As"}).choose(take);
            ru.click(r.cmdSave);
            ru.click(r.cmdOK);
        });
        u.click(p.cmdRecord);
        EXPECT_EQ(p.CurrentAudioFile, take);
        EXPECT_EQ(p.chkTempoDetect.Value(), 0);  // recorded to the metronome: its tempo holds
        EXPECT_EQ(p.txtTempo.Text(), "100");
        // OK offers the conversion at once.
        ui.expectBox({.textStartsWith = "You will need to regenerate"}).answer(ui::Yes);
        tickUntilClosed<frmStatus>(56);
        ui.onModal<frmResults>([](frmResults& r, User& ru) { ru.click(r.cmdClose); });
        u.click(p.cmdOK);
    });
    ui.user().toolbar(m.Toolbar, "Edit Project");
    ASSERT_EQ(g.AudioFileCount, 1);
    EXPECT_EQ(g.AudioFiles(1), take);
    EXPECT_FLOAT_EQ(g.Tempo, 100);
    EXPECT_EQ(g.TempoDetect, 0);
    // The take holds the melody from the downbeat on.
    const std::vector<int16_t> taken = samplesOf(take);
    ASSERT_EQ(taken.size(), samples.size());
    EXPECT_TRUE(std::equal(taken.begin(), taken.begin() + 1000, samples.begin()));
    EXPECT_EQ(m.sbStatusBar.Text(), "Finished");
    const std::string midi = g.MidiFiles(1);
    ASSERT_TRUE(fs::exists(midi)) << midi;
    const test::MidiContents read = test::readMidi(midi);
    const std::set<int> keys = read.keys();
    for (int key : {60, 62, 64, 65, 67})
        EXPECT_TRUE(keys.count(key)) << "key " << key << "\n" << read.text;
    if (const char* keep = std::getenv("VELT_E2E_OUT"); keep != nullptr && *keep != '\0') {
        fs::create_directories(keep);
        fs::copy_file(midi, fs::path(keep) / "take.mid", fs::copy_options::overwrite_existing);
    }
    g.ProjectChanged = false;  // no save question when the window closes
}

}  // namespace
}  // namespace velt::desk::test_recorder

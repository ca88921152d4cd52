// The audio and MIDI file lists: adding and selecting entries, the MIDI name of each audio file,
// choosing a MIDI path, removing entries, the recorder's new take and the wizard's mirror.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "audio_input_double.h"
#include "desk/core/shared/services.h"
#include "desk/core/window_links/wizard_pages.h"
#include "desk/media/frm_record.h"
#include "platform/shell/shell.h"
#include "scoped_hook.h"
#include "settings_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

using SettingsFileLists = SettingsTest;

std::vector<std::string> rows(const ui::ComboBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.ListCount(); ++i) out.push_back(list.List(i));
    return out;
}

TEST_F(SettingsFileLists, EntriesByFolderAndBaseName) {
    fs::create_directories(dir / "x");
    const std::string wav = sox("x/take.wav");
    Global& g = G();
    g.AudioFileCount = 1;
    g.AudioFiles.redim(1);
    g.MidiFiles.redim(1);
    g.AudioFiles(1) = wav;
    g.MidiFiles(1) = (dir / "x" / "custom.mid").string();
    frmProperties& f = dialog();  // row 0 is the project's file: not inspected at load
    ASSERT_EQ(rows(f.cboAudioFile), std::vector<std::string>{"1. take"});

    // Same folder and base name: the existing row, with its MIDI name, and no edit.
    f.CurrentAudioFile = (dir / "x" / "take.mp3").string();
    f.AddToFileList();
    EXPECT_EQ(f.cboAudioFile.ListCount(), 1);
    EXPECT_EQ(f.CurrentMidiFile, (dir / "x" / "custom.mid").string());
    EXPECT_FALSE(f.cmdApply.Enabled());

    // Another case is another file.
    const std::string upper = sox("x/Take.wav");
    f.CurrentAudioFile = upper;
    f.AddToFileList();
    EXPECT_EQ(rows(f.cboAudioFile), (std::vector<std::string>{"1. take", "2. Take"}));
    EXPECT_EQ(rows(f.cboMidiFile), (std::vector<std::string>{"1. custom", "2. Take"}));
    EXPECT_EQ(f.MidiFile(2), (dir / "x" / "Take.mid").string());
    EXPECT_EQ(f.MidiFile(3), "");
    EXPECT_EQ(f.cboAudioFile.ListIndex(), 1);
    EXPECT_EQ(f.cboMidiFile.ListIndex(), 1);
    EXPECT_EQ(f.CurrentAudioIndex, 1);
    EXPECT_EQ(f.PreviousAudioFile, upper);
    EXPECT_TRUE(f.cmdApply.Enabled());
    EXPECT_TRUE(g.AudioFileValid);

    // Re-selecting the current row neither inspects again nor drops the taps.
    f.WorkTaps = "ab";
    f.chkTempoDetect.setValue(0);
    f.cboAudioFile.setListIndex(1);
    EXPECT_EQ(f.WorkTaps, "ab");
    EXPECT_EQ(f.chkTempoDetect.Value(), 0);

    // A MIDI path that another row uses selects that row instead of renaming.
    ui.expectFileDialog({.title = "Select Location for MIDI File",
                         .filter = "MIDI File (*.mid)|*.mid|All Files (*.*)|*.*",
                         .flags = 4,
                         .fileName = "Take.mid"})
        .choose((dir / "x" / "custom.mid").string());
    f.cmdMidiBrowse_Click();
    EXPECT_EQ(f.cboMidiFile.ListIndex(), 0);
    EXPECT_EQ(f.cboAudioFile.ListIndex(), 0);
    EXPECT_EQ(f.MidiFile(2), (dir / "x" / "Take.mid").string());

    // A new MIDI path renames the selected row.
    f.cboAudioFile.setListIndex(1);
    ui.expectFileDialog({.title = "Select Location for MIDI File"})
        .choose((dir / "x" / "renamed.mid").string());
    f.cmdMidiBrowse_Click();
    EXPECT_EQ(rows(f.cboMidiFile), (std::vector<std::string>{"1. custom", "2. renamed"}));
    EXPECT_EQ(g.MidiFolder, (dir / "x").string() + "/");

    // Typing is refused but for "." and Backspace.
    for (auto [key, kept] : {std::pair{int('a'), 0}, std::pair{46, 46}, std::pair{8, 8}}) {
        int k = key;
        f.cboAudioFile_KeyPress(k);
        EXPECT_EQ(k, kept);
    }
    int k = '.';
    f.cboMidiFile_KeyPress(k);
    EXPECT_EQ(k, 0);
}

TEST_F(SettingsFileLists, BrowsingAddsAFileAndAFailedDecodeTakesItOutAgain) {
    frmProperties& f = dialog();
    Global& g = G();
    fs::create_directories(dir / "my music");
    const std::string take = sox("my music/first take.wav");
    g.AudioFolder = (dir / "my music").string() + "/";
    ui.expectFileDialog({.title = "Select Audio File", .flags = 4, .initDir = g.AudioFolder})
        .choose(take);
    f.cmdWaveBrowse_Click();
    EXPECT_EQ(rows(f.cboAudioFile), std::vector<std::string>{"1. first take"});
    EXPECT_EQ(f.CurrentMidiFile, (dir / "my music" / "first take.mid").string());
    EXPECT_TRUE(f.cboMidiFile.Enabled());

    // Cancel changes nothing.
    ui.expectFileDialog({.fileName = "first take.wav"}).cancel();
    f.cmdWaveBrowse_Click();
    EXPECT_EQ(f.cboAudioFile.ListCount(), 1);

    test::writeFile(dir / "my music" / "broken.mp3", "not mpeg");
    f.DecodeAudio = [&](const std::string&) {
        g.WaveReady = false;
        return DecodeOutcome::Shown;
    };
    f.CurrentAudioFile = (dir / "my music" / "broken.mp3").string();
    f.AddToFileList();  // no question: the entry simply leaves again
    EXPECT_EQ(rows(f.cboAudioFile), std::vector<std::string>{"1. first take"});
    EXPECT_EQ(rows(f.cboMidiFile), std::vector<std::string>{"1. first take"});
    EXPECT_EQ(f.AudioList.size(), 2u);
    EXPECT_EQ(f.CurrentAudioFile, take);
}

TEST_F(SettingsFileLists, RemovingEntries) {
    frmProperties& f = dialog();
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        f.CurrentAudioFile = sox(name);
        f.AddToFileList();
    }
    f.cboAudioFile.setListIndex(1);
    const auto question = [&](const std::string& file) {
        return Box("Are you sure you want to remove '" + file + "' from the list?",
                   "Project Editor", 32);
    };

    ui.expectBox(question((dir / "b.wav").string())).answer(ui::No);
    f.cboAudioFile.setText("");
    EXPECT_EQ(f.cboAudioFile.Text(), (dir / "b.wav").string());
    EXPECT_EQ(f.cboAudioFile.ListCount(), 3);

    ui.expectBox(question((dir / "b.wav").string())).answer(ui::Yes);
    f.cboAudioFile.setText("");
    EXPECT_EQ(rows(f.cboAudioFile), (std::vector<std::string>{"1. a", "2. c"}));
    EXPECT_EQ(rows(f.cboMidiFile), (std::vector<std::string>{"1. a", "2. c"}));
    EXPECT_EQ(f.MidiFile(2), (dir / "c.mid").string());
    EXPECT_EQ(f.cboAudioFile.ListIndex(), 0);
    EXPECT_EQ(f.CurrentAudioFile, (dir / "a.wav").string());
    EXPECT_EQ(f.tabProperties.Tab(), 0);

    // Editing the text of a file that is there undoes the edit.
    f.cboAudioFile.setText("1. ax");
    EXPECT_EQ(f.cboAudioFile.Text(), "1. a");

    for (const char* left : {"a.wav", "c.wav"}) {
        ui.expectBox(question((dir / left).string())).answer(ui::Yes);
        f.cboAudioFile.setText("");
    }
    EXPECT_EQ(f.cboAudioFile.ListCount(), 0);
    EXPECT_EQ(f.CurrentAudioFile, "");
    EXPECT_EQ(f.CurrentMidiFile, "[Real Time Mode]");  // the last one leaves real-time mode
}

TEST_F(SettingsFileLists, AnEntryIsRemovedByKeysDownToRealTimeMode) {
    frmProperties& f = dialog();
    for (const char* name : {"a.wav", "b.wav"}) {
        f.CurrentAudioFile = sox(name);
        f.AddToFileList();
    }
    f.Show();
    auto u = ui.user();
    const auto question = [&](const std::string& file) {
        return Box("Are you sure you want to remove '" + file + "' from the list?",
                   "Project Editor", 32);
    };
    // Tab into the box selects its whole text; Backspace empties it and asks.
    const auto tabIn = [&] {
        u.selectTab(f.tabProperties, 0);
        u.key(f.tabProperties, ui::Key::Tab);
        ASSERT_EQ(f.ActiveControl(), &f.cboAudioFile);
        EXPECT_EQ(f.cboAudioFile.SelLength(), static_cast<int>(f.cboAudioFile.Text().size()));
    };
    tabIn();
    ui.expectBox(question((dir / "b.wav").string())).answer(ui::No);
    u.type(f.cboAudioFile, "\b");
    EXPECT_EQ(f.cboAudioFile.ListCount(), 2);
    EXPECT_EQ(f.CurrentAudioFile, (dir / "b.wav").string());

    // Delete on the selection, answered Yes: the entry goes.
    tabIn();
    ui.expectBox(question((dir / "b.wav").string())).answer(ui::Yes);
    u.key(f.cboAudioFile, ui::Key::Delete);
    EXPECT_EQ(rows(f.cboAudioFile), std::vector<std::string>{"1. a"});
    EXPECT_EQ(f.CurrentAudioFile, (dir / "a.wav").string());

    // A key that shortens the text of a file that is there is taken back.
    tabIn();
    u.key(f.cboAudioFile, ui::Key::End);
    u.type(f.cboAudioFile, "\b");
    EXPECT_EQ(f.cboAudioFile.Text(), "1. a");

    // With real keys: Shift+Home selects the line, Delete clears it; the last file leaves the
    // dialog in real-time mode.
    f.window()->activateWindow();
    QApplication::setActiveWindow(f.window());
    auto* edit = qobject_cast<QComboBox*>(f.cboAudioFile.widget())->lineEdit();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
    ui.expectBox(question((dir / "a.wav").string())).answer(ui::Yes);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(f.cboAudioFile.ListCount(), 0);
    EXPECT_EQ(f.CurrentAudioFile, "");
    EXPECT_EQ(f.CurrentMidiFile, "[Real Time Mode]");
    ASSERT_TRUE(u.click(f.cmdApply));
    EXPECT_EQ(G().AudioFileCount, 0);
}

TEST_F(SettingsFileLists, ARecordedTakeIsTheOneThatIsRemoved) {
    frmProperties& f = dialog();
    for (const char* name : {"a.wav", "b.wav"}) {
        f.CurrentAudioFile = sox(name);
        f.AddToFileList();
    }
    f.cboAudioFile.setListIndex(0);
    // The recorder's working take, saved under a name of the user's.
    const std::string recorded = sox("recorded.wav");
    const std::string take = (dir / "take.wav").string();
    test_audio::FakeAudioInput meter;
    ui.onModal<frmRecord>([&](frmRecord& r, ui::test::User& u) {
        fs::copy_file(recorded, r.TakePath());
        ui.expectFileDialog({.title = "Save Wave File As"}).choose(take);
        r.cmdSave_Click();
        u.click(r.cmdOK);
    });
    f.cmdRecord_Click();
    EXPECT_EQ(rows(f.cboAudioFile), (std::vector<std::string>{"1. a", "2. b", "3. take"}));
    EXPECT_EQ(f.cboAudioFile.ListIndex(), 2);
    EXPECT_EQ(f.CurrentAudioIndex, 2);

    ui.expectBox(Box("Are you sure you want to remove '" + take + "' from the list?",
                     "Project Editor", 32))
        .answer(ui::Yes);
    f.cboAudioFile.setText("");
    EXPECT_EQ(rows(f.cboAudioFile), (std::vector<std::string>{"1. a", "2. b"}));
}

TEST_F(SettingsFileLists, TheEditorsGetTheSelectedFiles) {
    platform::RecordingShell shell;
    UseShell(&shell);
    Global& g = G();
    g.MidiEditor = "/opt/editor/midi";
    g.AudioEditor = "/opt/editor/audio";
    frmProperties& f = dialog();
    f.cmdMidiEdit_Click();  // real-time mode: the editor without a file
    EXPECT_EQ(g.MidiFileToEdit, "");
    f.CurrentAudioFile = sox("take.wav");
    f.AddToFileList();
    f.cmdMidiEdit_Click();
    EXPECT_EQ(g.MidiFileToEdit, (dir / "take.mid").string());
    f.cmdWaveEdit_Click();
    EXPECT_EQ(g.AudioFileToEdit, (dir / "take.wav").string());
    ASSERT_EQ(shell.calls.size(), 3u);
    using Arguments = std::vector<std::string>;
    EXPECT_EQ(shell.calls[0].arguments, Arguments{"/opt/editor/midi"});
    EXPECT_EQ(shell.calls[1].arguments,
              (Arguments{"/opt/editor/midi", (dir / "take.mid").string()}));
    EXPECT_EQ(shell.calls[2].arguments,
              (Arguments{"/opt/editor/audio", (dir / "take.wav").string()}));
}

TEST_F(SettingsFileLists, TheWizardSeesEveryChangeOfTheLists) {
    struct Mirror : WizardFilePages {
        void copyFileLists(const std::vector<std::string>& audio,
                           const std::vector<std::string>& midi, int audioRow,
                           int midiRow) override {
            copies.push_back({audio, midi, audioRow, midiRow});
        }
        void selectFileRows(int audioRow, int midiRow) override {
            selections.push_back({audioRow, midiRow});
        }
        struct Copy {
            std::vector<std::string> audio, midi;
            int audioRow, midiRow;
        };
        std::vector<Copy> copies;
        std::vector<std::pair<int, int>> selections;
    };
    auto mirror = std::make_shared<Mirror>();
    G().WizardRunning = true;
    ScopedHook<std::shared_ptr<WizardFilePages>> registered(Windows().wizardFiles, mirror);
    frmProperties& f = dialog();
    f.CurrentAudioFile = sox("a.wav");
    f.AddToFileList();
    f.CurrentAudioFile = sox("b.wav");
    f.AddToFileList();
    ASSERT_EQ(mirror->copies.size(), 2u);
    EXPECT_EQ(mirror->copies[1].audio, (std::vector<std::string>{"1. a", "2. b"}));
    EXPECT_EQ(mirror->copies[1].midi, (std::vector<std::string>{"1. a", "2. b"}));
    EXPECT_EQ(mirror->copies[1].audioRow, 1);
    f.CurrentAudioFile = (dir / "a.wav").string();
    f.AddToFileList();
    EXPECT_EQ(mirror->copies.size(), 2u);
    EXPECT_EQ(mirror->selections, (std::vector<std::pair<int, int>>{{0, 0}}));
}

}  // namespace
}  // namespace velt::desk

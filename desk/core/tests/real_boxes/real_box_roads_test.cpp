// Roads through Edit Project with nothing scripted: the real message boxes and file dialogs in
// their own exec() loops, the real modal loops of the windows and the runtime's real deferred
// deletion of unloaded windows, driven by a user who clicks (see real_user.h). Each road ends on
// a box shown right after a window closed, while that window still waits for its deletion: the
// box must belong to a window that outlives it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <filesystem>
#include <string>

#include "audio_input_double.h"
#include "desk/core/global.h"
#include "desk/core/main_window/editor_link.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/options/frm_customize.h"
#include "desk/core/shared/ensemble_file.h"
#include "desk/core/shared/services.h"
#include "desk/core/startup/start_up.h"
#include "desk/instruments/frm_drum.h"
#include "desk/instruments/frm_ens.h"
#include "desk/media/frm_cd.h"
#include "desk/media/frm_record.h"
#include "desk/settings/frm_properties.h"
#include "desk/ui/runtime.h"
#include "desk/ui/testing/real_input.h"
#include "desk/wizard/frm_wizard.h"
#include "platform/mci/mci.h"
#include "platform/midi_out/midi_out.h"
#include "platform/registry/registry.h"
#include "platform/settings_store/settings_store.h"
#include "platform/shell/shell.h"
#include "platform/wave_io/clock_wave_out.h"
#include "platform/wave_io/fake_wave_in.h"
#include "real_box_program.h"
#include "real_user.h"
#include "scoped_env.h"
#include "test_folders.h"
#include "test_support.h"
#include "window_user.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_real::RealUser;

constexpr const char* kConvertNow = "You will need to regenerate the MIDI file";

class RealBoxRoads : public RealBoxProgram {
  protected:
    void SetUp() override {
        RealBoxProgram::SetUp();
        platform::wave_in::useDevices(&input);
    }
    void TearDown() override {
        RealBoxProgram::TearDown();
        platform::wave_in::useDevices(nullptr);
    }

    // A one-second stereo tone made by sox at `volume` of full scale.
    std::string tone(const std::string& name, const std::string& volume) {
        const std::string path = (dir / "music" / name).string();
        EXPECT_EQ(
            test::runCommand("sox -D -n -r 44100 -c 2 -b 16 -t wav " + test::shellQuote(path) +
                             " synth 1 sine 440 vol " + volume + " 2>/dev/null")
                .exitCode,
            0);
        return path;
    }

    // An audio file added in Edit Project through its browse button and the file dialog.
    void addAudioFile(const std::string& path) {
        user.click<frmProperties>(
            "Browse", [](frmProperties& p) -> ui::CommandButton& { return p.cmdWaveBrowse; });
        user.chooseFile("Select Audio File", path);
    }
    void pressOk() {
        user.click<frmProperties>("OK in Edit Project",
                                  [](frmProperties& p) -> ui::CommandButton& { return p.cmdOK; });
    }
    // Opens Edit Project from the real Project menu; returns once every window of the road has
    // closed again. Every queued step has run and nothing went wrong.
    void editProject(frmMain& f) {
        ASSERT_TRUE(ui::test::RealInput().menuByMouse(f.mnuProject));
        for (const std::string& failure : user.failures()) ADD_FAILURE() << failure;
        EXPECT_TRUE(user.done());
        EXPECT_FALSE(ui::isLoaded<frmProperties>());
        EXPECT_TRUE(f.loaded());
        ui::test::RealInput::settle();
    }

    // A step once the form F takes input again after a box: Qt's focus is on the widget of the
    // form's active control (so typed keys reach the control the form has focused), and a Tab
    // typed there moves the form's focus on.
    template <class F>
    void focusComesBack(const std::string& after) {
        user.step(
            "the focus back after " + after,
            [] { return RealUser::reachable<F>() != nullptr && RealUser::openBox() == nullptr; },
            [after] {
                QCoreApplication::processEvents();  // the window system's activation
                F& f = *RealUser::reachable<F>();
                QWidget* focused = QApplication::focusWidget();
                ASSERT_NE(focused, nullptr) << "no widget has the focus after " << after;
                ui::Control* before = f.ActiveControl();
                ASSERT_NE(before, nullptr) << after;
                EXPECT_EQ(focused, before->widget()) << after << ", " << before->Name();
                QTest::keyClick(focused, Qt::Key_Tab);
                EXPECT_NE(f.ActiveControl(), before) << "a Tab typed after " << after;
            });
    }

    // The machine's sound input and level meter (the base holds the outputs).
    platform::wave_in::FakeWaveIn input;
    test_audio::FakeAudioInput meter;
};

TEST_F(RealBoxRoads, QuietAudioFileWarnedThenOk) {
    frmMain& f = start();
    const std::string quiet = tone("quiet.wav", "0.1");
    addAudioFile(quiet);
    user.answerBox("For best results, we recommend a recording level of at least 25%", "OK");
    pressOk();
    user.answerBox(kConvertNow, "No");
    editProject(f);
    ASSERT_EQ(G().AudioFileCount, 1);
    EXPECT_EQ(G().AudioFiles(1), quiet);
}

TEST_F(RealBoxRoads, RecorderClosedThenOk) {
    frmMain& f = start();
    const std::string song = tone("song.wav", "0.5");
    addAudioFile(song);
    user.click<frmProperties>("Record",
                              [](frmProperties& p) -> ui::CommandButton& { return p.cmdRecord; });
    user.closeWindow<frmRecord>("the recorder's close button");
    pressOk();
    user.answerBox(kConvertNow, "No");
    editProject(f);
    ASSERT_EQ(G().AudioFileCount, 1);
    EXPECT_EQ(G().AudioFiles(1), song);
}

TEST_F(RealBoxRoads, CdWindowClosedThenOk) {
    frmMain& f = start();
    const std::string song = tone("song.wav", "0.5");
    addAudioFile(song);
    user.click<frmProperties>("CD", [](frmProperties& p) -> ui::CommandButton& { return p.cmdCD; });
    user.click<frmCD>("Close in the CD window",
                      [](frmCD& c) -> ui::CommandButton& { return c.cmdOK; });
    pressOk();
    user.answerBox(kConvertNow, "No");
    editProject(f);
    ASSERT_EQ(G().AudioFileCount, 1);
    EXPECT_EQ(G().AudioFiles(1), song);
}

TEST_F(RealBoxRoads, DrumKitCancelledThenEnsembleOkThenOk) {
    frmMain& f = start();
    const std::string song = tone("song.wav", "0.5");
    addAudioFile(song);
    user.selectTab<frmProperties>(
        "the MIDI tab", [](frmProperties& p) -> ui::TabControl& { return p.tabProperties; }, 4);
    user.click<frmProperties>("instruments known: an ensemble",
                              [](frmProperties& p) -> ui::OptionButton& { return p.optFilter(1); });
    user.click<frmProperties>(
        "Edit ensemble", [](frmProperties& p) -> ui::CommandButton& { return p.cmdPatchMapEdit; });
    user.click<frmEns>("the percussion row on",
                       [](frmEns& e) -> ui::CheckBox& { return e.chkActive(kPercussionRow); });
    user.click<frmEns>("Edit drum kit",
                       [](frmEns& e) -> ui::CommandButton& { return e.cmdDrumKitEdit; });
    user.click<frmDrum>("Cancel in the drum kit editor",
                        [](frmDrum& d) -> ui::CommandButton& { return d.cmdCancel; });
    // A modal form hands the keyboard back as a box does.
    focusComesBack<frmEns>("the drum kit editor's Cancel");
    user.click<frmEns>("OK in the ensemble editor",
                       [](frmEns& e) -> ui::CommandButton& { return e.cmdOK; });
    pressOk();
    user.answerBox(kConvertNow, "No");
    editProject(f);
    EXPECT_TRUE(G().EnsembleApplied);
}

// The box asking to remove a file from the list, then "Convert now?": each time the focus comes
// back where it was, and the keyboard works at once.
TEST_F(RealBoxRoads, FocusComesBackAfterRemoveYesAndConvertNowNo) {
    frmMain& f = start();
    const std::string first = tone("first.wav", "0.5");
    const std::string second = tone("second.wav", "0.5");
    addAudioFile(first);
    addAudioFile(second);
    user.step(
        "Tab to the audio file's name, clear it with Ctrl+A and Backspace",
        [] {
            return RealUser::reachable<frmProperties>() != nullptr &&
                   QApplication::focusWidget() != nullptr;
        },
        [] {
            frmProperties& p = *RealUser::reachable<frmProperties>();
            ASSERT_TRUE(test_keys::tabTo(p, p.cboAudioFile));
            QWidget* nameBox = QApplication::focusWidget();
            QTest::keyClick(nameBox, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(nameBox, Qt::Key_Backspace);  // the box waits in here
        });
    user.answerBox("Are you sure you want to remove", "Yes");
    // The removal repaints the lists by showing another tab and the first again, which leaves
    // the focus on the tab strip.
    focusComesBack<frmProperties>("the removal's Yes");
    pressOk();
    user.answerBox(kConvertNow, "No");
    ASSERT_TRUE(ui::test::RealInput().menuByMouse(f.mnuProject));
    for (const std::string& failure : user.failures()) ADD_FAILURE() << failure;
    EXPECT_TRUE(user.done());
    EXPECT_EQ(G().AudioFileCount, 1);

    // The main window has no control that takes the focus: it is the active window again, and
    // its menus answer their Alt keys.
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), f.window()) << "after \"Convert now?\" No";
    QTest::keyClick(QApplication::activeWindow(), Qt::Key_E, Qt::AltModifier);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr) << "Alt+E opened no menu";
    QTest::keyClick(popup, Qt::Key_Escape);
    ui::test::RealInput::settle();
}

// The Options window's warning on a path box left by Tab: after OK the focus is on the control
// the Tab went to.
TEST_F(RealBoxRoads, FocusComesBackAfterTheOptionsPathWarning) {
    frmMain& f = start();
    // A MIDI editor that is there: the box after the audio editor's is left without a word.
    const fs::path editor = dir / "midi-editor";
    test::writeFile(editor, "#!/bin/sh\n");
    G().MidiEditor = editor.string();
    user.step(
        "type a path that isn't there into the audio editor's box, then Tab",
        [] {
            frmCustomize* c = RealUser::reachable<frmCustomize>();
            return c != nullptr && QApplication::focusWidget() != nullptr;
        },
        [] {
            frmCustomize& c = *RealUser::reachable<frmCustomize>();
            ASSERT_EQ(c.ActiveControl(), &c.txtWave);  // the first stop
            QWidget* box = QApplication::focusWidget();
            QTest::keyClick(box, Qt::Key_End);
            for (size_t i = c.txtWave.Text().size(); i > 0; --i)
                QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClicks(box, "/no/such/editor");
            QTest::keyClick(box, Qt::Key_Tab);  // the warning waits in here
        });
    user.answerBox("The Audio Editor file '/no/such/editor' does not exist.", "OK");
    focusComesBack<frmCustomize>("the path warning");
    user.click<frmCustomize>("Cancel",
                             [](frmCustomize& c) -> ui::CommandButton& { return c.cmdCancel; });
    ASSERT_TRUE(ui::test::RealInput().menuByMouse(f.mnuCustomize));
    for (const std::string& failure : user.failures()) ADD_FAILURE() << failure;
    EXPECT_TRUE(user.done());
    EXPECT_FALSE(ui::isLoaded<frmCustomize>());
    ui::test::RealInput::settle();
}

}  // namespace
}  // namespace velt::desk

// Edit Project walked by a keyboard-only user who types nothing: every control of the five tabs
// is visited with Tab, the tabs are switched with Ctrl+Tab, OK is pressed. Leaving a box whose
// text did not change must change nothing: no "Convert now?" question (real boxes, nothing
// scripted) and the project saved afterwards is byte for byte the project opened.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <set>
#include <string>

#include "desk/core/global.h"
#include "desk/core/main_window/editor_link.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/project/project_file.h"
#include "desk/core/shared/services.h"
#include "desk/core/startup/start_up.h"
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
#include "real_box_program.h"
#include "real_user.h"
#include "scoped_env.h"
#include "single_audio_file.h"
#include "test_folders.h"
#include "test_support.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_real::RealUser;

constexpr int kTabs = 5;
// More Tab presses than any tab has stops: the walk stops earlier, when the focus comes back.
constexpr int kMostStops = 80;

class EditProjectKeyboard : public RealBoxProgram {
  protected:
    // A key pressed on the widget that has the keyboard focus in Edit Project.
    void press(const std::string& what, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        user.step(
            what, [] { return RealUser::reachable<frmProperties>() != nullptr; },
            [key, mods] {
                QWidget* at = QApplication::focusWidget();
                if (at == nullptr) at = RealUser::reachable<frmProperties>()->window();
                QTest::keyClick(at, key, mods);
            });
    }
    // Tab through the shown tab until the focus is back where the walk began, noting each stop.
    void walkTab(int tab) {
        user.step(
            "Tab through tab " + std::to_string(tab),
            [] { return RealUser::reachable<frmProperties>() != nullptr; },
            [this, tab] {
                frmProperties* p = RealUser::reachable<frmProperties>();
                const ui::Control* first = p->ActiveControl();
                for (int i = 0; i < kMostStops; ++i) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    if (!p->loaded() || RealUser::openBox() != nullptr) return;
                    const ui::Control* now = p->ActiveControl();
                    if (now != nullptr) visited.insert(now->Name());
                    if (now == first) {
                        ++walked;
                        return;
                    }
                }
                ADD_FAILURE() << "the focus never came back on tab " << tab;
            });
    }

    std::set<std::string> visited;
    int walked = 0;
};

TEST_F(EditProjectKeyboard, TabbingThroughEveryControlWithoutTypingChangesNothing) {
    frmMain& f = start();
    Global& g = G();
    const std::string audio = (dir / "music" / "take.wav").string();
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -c 1 -b 16 -t wav " + test::shellQuote(audio) +
                               " synth 10 sine 440 vol 0.5")
                  .exitCode,
              0);
    // A project whose settings a leave rule would rewrite: more than one note at once with the
    // pitch range's Auto Detect off (the user's own low and high notes), a gain of its own, a
    // time range that starts inside a second, a transposition and a tempo with a fraction.
    UseSingleAudioFile(audio);
    g.PitchMode = 4;
    g.AutoDetectNote = 0;
    g.KeyMin = 40;
    g.KeyMax = 80;
    g.Gain = 150;
    g.EntireAudio = 0;
    g.StartPoint = 1.5f;
    g.EndPoint = 7.25f;
    g.Transpose = -13;
    g.Tempo = 97.5f;
    g.TempoDetect = 0;
    const std::string project = (dir / "song.vpr").string();
    g.ProjectFile = project;
    ASSERT_TRUE(SaveProfile());
    ASSERT_TRUE(OpenProfile(project));
    const std::string opened = test::readFile(project);

    for (int tab = 0; tab < kTabs; ++tab) {
        walkTab(tab);
        press("Ctrl+Tab to the next tab", Qt::Key_Tab, Qt::ControlModifier);
    }
    user.click<frmProperties>("OK", [](frmProperties& p) -> ui::CommandButton& { return p.cmdOK; });
    // Should a box come up after all, it is answered No so that the road ends and the test can
    // tell what it said.
    bool boxed = false;
    user.step(
        "a box after OK", [] { return RealUser::openBox() != nullptr; },
        [&boxed] {
            QDialog* box = RealUser::openBox();
            ADD_FAILURE() << "unexpected box: " << RealUser::boxText(box);
            boxed = true;
            for (QPushButton* b : box->findChildren<QPushButton*>())
                if (b->text().remove('&') == "No") QTest::mouseClick(b, Qt::LeftButton);
        });
    ASSERT_TRUE(ui::test::RealInput().menuByMouse(f.mnuProject));
    for (const std::string& failure : user.failures()) ADD_FAILURE() << failure;
    EXPECT_FALSE(boxed);
    EXPECT_FALSE(ui::isLoaded<frmProperties>());
    ui::test::RealInput::settle();

    EXPECT_EQ(walked, kTabs);
    for (const char* box :
         {"txtPitchMode", "txtOctaves", "txtHalfSteps", "txtKeyMin", "txtKeyMax", "txtStartPoint",
          "txtEndPoint", "txtTempo", "txtSpeed", "txtReferencePitch", "txtChannel", "txtTimeNum"})
        EXPECT_TRUE(visited.count(box)) << box << " was never visited";
    EXPECT_FALSE(g.SettingsApplied);
    EXPECT_FALSE(g.ProjectChanged);
    ASSERT_TRUE(SaveProfile());
    EXPECT_EQ(test::readFile(project), opened);
}

}  // namespace
}  // namespace velt::desk

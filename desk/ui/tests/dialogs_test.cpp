#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "demo_form.h"
#include "desk/ui/testing/script.h"
#include "test_support.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

TEST(MessageBoxScript, AnswersRecordsAndPressesHelp) {
    test::Script ui;
    ui.expectBox({.text = "Invalid Start Time format.", .title = "Project", .help = 93}).answer(OK);
    ui.expectBox({.textStartsWith = "Are you sure you want to remove"}).pressHelp().answer(No);
    EXPECT_EQ(MessageBox("Invalid Start Time format.", Exclamation, "Project", 93), OK);
    EXPECT_EQ(MessageBox("Are you sure you want to remove this entry?\r\nIt can't be undone.",
                         YesNo + Question + DefaultButton2, "", 120),
              No);
    ASSERT_EQ(ui.boxes().size(), 2u);
    const auto& second = ui.boxes()[1];
    EXPECT_EQ(second.title, "Veltrane");  // an empty title shows the application title
    EXPECT_EQ(second.icon, Question);
    EXPECT_EQ(second.buttons, (std::vector<int>{Yes, No}));
    EXPECT_EQ(second.defaultAnswer, No);
    EXPECT_EQ(second.helpPresses, (std::vector<long>{120}));
    EXPECT_EQ(second.source, "script");
    EXPECT_EQ(ui.helpCalls(), (std::vector<long>{120}));
}

TEST(MessageBoxScript, UnexpectedOrMismatchedBoxesFailAndTakeTheDefault) {
    test::Script ui;
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = MessageBox("Save changes?", YesNoCancel + DefaultButton3),
                            "unexpected message box");
    EXPECT_EQ(answer, Cancel);
    ui.expectBox({.text = "Other text"}).answer(OK);
    EXPECT_NONFATAL_FAILURE(answer = MessageBox("Real text", RetryCancel), "doesn't match");
    EXPECT_EQ(answer, Retry);
    ui.expectBox({}).answer(Yes);
    EXPECT_NONFATAL_FAILURE(answer = MessageBox("OK only"), "is not a button");
    EXPECT_EQ(answer, OK);
    EXPECT_EQ(ui.boxes().back().source, "default");
}

TEST(MessageBoxScript, BatchModeWritesTheBoxAndReturnsItsDefault) {
    test::Script ui;
    runtime().batchMode = true;
    testing::internal::CaptureStderr();
    int answer = MessageBox("Conversion failed.\r\nSee the log.", YesNo + DefaultButton2, "");
    auto input = InputBox("Name the take", "Record", "take 1");
    CommonDialog& cdl = forms::get<frmDemo>().cdlFile;
    DialogResult file = cdl.ShowOpen();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, No);
    EXPECT_TRUE(input.answered);
    EXPECT_EQ(input.text, "take 1");
    EXPECT_EQ(file, DialogResult::Cancelled);
    EXPECT_EQ(err,
              "Veltrane: Conversion failed. See the log.\n"
              "Record: Name the take\n"
              "Select Audio File: cancelled (batch mode)\n");
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].source, "batch");
}

// Counts how often a widget was hidden.
class HideCounter : public QObject {
  public:
    int hides = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide) ++hides;
        return false;
    }
};

// The real box of the runtime (no script answers it): `act` runs as the user once the box is
// open, and again while it stays open, until it returns false.
int realBox(const std::string& text, int style, const std::function<bool(QDialog&, int)>& act) {
    DialogDriver* driver = runtime().driver;
    runtime().driver = nullptr;
    int round = 0;
    std::function<void()> step = [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || act(*box, round++)) QTimer::singleShot(0, step);
    };
    QTimer::singleShot(0, step);
    int answer = MessageBox(text, style, "Box");
    runtime().driver = driver;
    return answer;
}

QPushButton* button(QDialog& box, const QString& caption) {
    for (auto* b : box.findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    return nullptr;
}

TEST(MessageBoxReal, EscAnswersOnceOrLeavesTheBoxAsItIs) {
    test::Script ui;
    struct Case {
        int style;
        int answer;  // after Esc (and No when Esc does nothing)
        bool stays;  // Esc does nothing: no Cancel, not OK-only
    } cases[] = {{OKOnly, OK, false},
                 {OKCancel, Cancel, false},
                 {YesNoCancel, Cancel, false},
                 {YesNo, No, true},
                 {AbortRetryIgnore + DefaultButton3, Ignore, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        QPointer<QDialog> first;
        HideCounter counter;
        int answer = realBox("Carry on?", c.style, [&](QDialog& box, int round) {
            if (round == 0) {
                first = &box;
                box.installEventFilter(&counter);
                QTest::keyClick(&box, Qt::Key_Escape);
                return c.stays;
            }
            // Still the same box, never hidden in between.
            EXPECT_EQ(&box, first.data());
            EXPECT_EQ(counter.hides, 0);
            QPushButton* b = button(box, c.answer == No ? "&No" : "&Ignore");
            EXPECT_NE(b, nullptr);
            if (b != nullptr) b->click();
            return false;
        });
        EXPECT_EQ(answer, c.answer);
        EXPECT_FALSE(first && first->isVisible());
    }
}

TEST(MessageBoxReal, ShortTextsStayOnOneLineAndLongOnesWrap) {
    test::Script ui;
    struct Case {
        std::string text;
        bool wraps;
        int lines;  // as shown, when not wrapped
    } cases[] = {
        {"Unable to open audio device.", false, 1},
        {"Conversion failed.\r\nSee the log.", false, 2},
        {"Error saving project: No such file or directory (/tmp/velt/projects/song.vpr)", false, 1},
        {"The file '/home/someone/Music/projects/a rather long folder name/and a "
         "song.vpr' has been changed.  Do you want to save these changes?",
         true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        realBox(c.text, OKOnly, [&](QDialog& box, int) {
            QLabel* label = nullptr;
            const QString shown = QString::fromStdString(c.text).replace("\r\n", "\n");
            for (auto* l : box.findChildren<QLabel*>())
                if (l->text() == shown) label = l;
            EXPECT_NE(label, nullptr);
            if (label != nullptr) {
                int widest = 0;
                for (const QString& line : shown.split('\n'))
                    widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
                EXPECT_EQ(widest > 560, c.wraps) << "a case for the other rule";
                EXPECT_EQ(label->wordWrap(), c.wraps);
                EXPECT_LE(label->width(), 560);
                if (!c.wraps) {
                    EXPECT_LT(label->height(), (c.lines + 1) * label->fontMetrics().lineSpacing());
                }
            }
            box.reject();
            return false;
        });
    }
}

TEST(InputBoxScript, AnswerOrCancel) {
    test::Script ui;
    ui.expectInputBox({.prompt = "Name the take"}).answer("take 2");
    ui.expectInputBox().cancel();
    auto first = InputBox("Name the take", "Record", "take 1");
    auto second = InputBox("Again");
    EXPECT_TRUE(first.answered);
    EXPECT_EQ(first.text, "take 2");
    EXPECT_FALSE(second.answered);
    EXPECT_EQ(second.text, "");
}

TEST(FileDialogScript, FlagsAndDefaultExtension) {
    test::Script ui;
    ::velt::test::TempDir dir;
    ::velt::test::writeFile(dir / "song.wav", "RIFF");
    ::velt::test::writeFile(dir / "out.mid", "MThd");
    auto& cdl = forms::get<frmDemo>().cdlFile;
    cdl.setInitDir(dir.path().string());
    cdl.setFilter("Audio Files|*.wav;*.mp3|All Files|*.*");

    cdl.setFlags(0x1004);
    cdl.setDefaultExt("*.wav");
    ui.expectFileDialog({.title = "Select Audio File", .flags = 4100}).choose("song");
    EXPECT_EQ(cdl.ShowOpen(), DialogResult::Ok);
    EXPECT_EQ(cdl.FileName(), (dir / "song.wav").string());
    EXPECT_EQ(cdl.FileTitle(), "song.wav");

    // Cancel leaves FileName as it was.
    ui.expectFileDialog().cancel();
    EXPECT_EQ(cdl.ShowOpen(), DialogResult::Cancelled);
    EXPECT_EQ(cdl.FileTitle(), "song.wav");

    // A missing file under "file must exist" is refused: the test fails, the dialog cancels.
    ui.expectFileDialog().choose((dir / "missing.wav").string());
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(cdl.ShowOpen(), DialogResult::Cancelled), "doesn't exist");

    // A list of patterns is no extension; Save of an existing file asks first.
    cdl.setDefaultExt("*.mid;*.kar");
    EXPECT_EQ(cdl.effectiveDefaultExt(), "");
    cdl.setDefaultExt(".mid");
    cdl.setFlags(0x806);
    ui.expectFileDialog({.save = true}).choose("out");
    ui.expectBox(
          {.text = "out.mid already exists.\nDo you want to replace it?", .icon = Exclamation})
        .answer(No);
    ui.expectFileDialog({.save = true}).choose("new");
    EXPECT_EQ(cdl.ShowSave(), DialogResult::Ok);
    EXPECT_EQ(cdl.FileName(), (dir / "new.mid").string());
    EXPECT_EQ(ui.boxes().size(), 1u);

    ui.expectFileDialog().choose((dir / "no" / "such" / "x.mid").string());
    EXPECT_NONFATAL_FAILURE(cdl.ShowSave(), "folder doesn't exist");
}

}  // namespace
}  // namespace velt::ui

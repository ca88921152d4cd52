// How the runtime lays controls out for their text: long option and check box captions break
// into lines, the layout grows with the user's font, a status bar can stay where it is placed
// and a frame can group without a border.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

QString drawnText(const Control& c) {
    return qobject_cast<QAbstractButton*>(c.widget())->text();
}

TEST(Layout, LongButtonCaptionsBreakIntoLinesThatFit) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    const std::string caption =
        "&Isolate - Emphasizes notes that are mixed toward the center of the stereo image";
    struct Case {
        Control* control;
        std::function<void()> setCaption;
    } cases[] = {
        {&f.optMode(0), [&] { f.optMode(0).setCaption(caption); }},
        {&f.chkDrums, [&] { f.chkDrums.setCaption(caption); }},
    };
    for (const Case& c : cases) {
        c.control->Move(0, 0, 2400, 900);  // 160 x 60 px
        c.setCaption();
        const QString shown = drawnText(*c.control);
        EXPECT_GT(shown.count('\n'), 0) << c.control->Name();
        QFontMetrics fm(c.control->widget()->font());
        for (QString line : shown.split('\n'))
            EXPECT_LT(fm.horizontalAdvance(line.remove('&')), 160) << line.toStdString();
        // Wide enough for one line: no breaks; the caption reads back as assigned throughout.
        c.control->setWidth(15 * 1000);
        EXPECT_FALSE(drawnText(*c.control).contains('\n')) << c.control->Name();
    }
    EXPECT_EQ(f.optMode(0).Caption(), caption);
    EXPECT_EQ(f.chkDrums.Caption(), caption);
}

TEST(Layout, TheLayoutGrowsWithTheUsersFont) {
    const QFont base = QApplication::font();
    for (double scale : {1.0, 1.5, 2.0}) {
        QFont font = base;
        font.setPointSizeF(base.pointSizeF() * scale);
        QApplication::setFont(font);
        {
            test::Script ui;
            auto& f = forms::get<frmDemo>();
            f.lblName.Move(300, 150, 1500, 255);
            f.lblName.setFontSize(12);
            const QRect r = f.lblName.widget()->geometry();
            EXPECT_EQ(r, QRect(QPoint(std::lround(20 * scale), std::lround(10 * scale)),
                               QSize(std::lround(100 * scale), std::lround(17 * scale))))
                << scale;
            EXPECT_EQ(f.lblName.Width(), 1500) << scale;  // twips read back as assigned
            EXPECT_DOUBLE_EQ(f.lblName.widget()->font().pointSizeF(), 12 * scale);
            EXPECT_DOUBLE_EQ(f.lblName.FontSize(), 12);
        }
    }
    QApplication::setFont(base);
}

TEST(Layout, AStatusBarAlignedToNothingKeepsItsPlace) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.sbStatus.setAlign(0);
    f.sbStatus.Move(600, 300, 3000, 300);
    f.Move(f.Left(), f.Top(), f.Width() + 600, f.Height() + 600);
    EXPECT_EQ(f.sbStatus.widget()->geometry(), QRect(40, 20, 200, 20));
    f.sbStatus.setAlign(2);  // docked again: the bottom of the form, its whole width
    EXPECT_EQ(f.sbStatus.widget()->geometry().bottom(), f.clientArea()->height() - 1);
    EXPECT_EQ(f.sbStatus.widget()->width(), f.clientArea()->width());
    EXPECT_EQ(f.sbStatus.setAlign(1), Status::Refused);
}

TEST(Layout, AFrameWithoutBorderDrawsNoCaption) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    auto* box = qobject_cast<QGroupBox*>(f.fraMode.widget());
    f.fraMode.setCaption("Mode");
    EXPECT_EQ(box->title(), "Mode");
    f.fraMode.setBorderStyle(0);
    EXPECT_EQ(box->title(), "");
    EXPECT_EQ(f.fraMode.Caption(), "Mode");
    f.fraMode.setBorderStyle(1);
    EXPECT_EQ(box->title(), "Mode");
    EXPECT_EQ(f.fraMode.setBorderStyle(2), Status::Refused);
}

}  // namespace
}  // namespace velt::ui

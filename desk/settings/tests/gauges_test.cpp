// The dialog's gauges as drawn: each needle turns about its dial's centre with its tip on the
// dial, and the volume slider's "No Change" sits under the thumb's place at 100 %.
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include "settings_fixture.h"

namespace velt::desk {
namespace {

using SettingsGauges = SettingsTest;

// The dial's centre in whole twips, as the needle drawing rounds it.
std::pair<double, double> centreOf(const ui::PictureBox& dial) {
    return {std::round(dial.Left() + dial.Width() / 2), std::round(dial.Top() + dial.Height() / 2)};
}

void expectOnDial(const ui::PictureBox& dial, const ui::Line& needle, const std::string& value) {
    const auto [cx, cy] = centreOf(dial);
    EXPECT_EQ(needle.X2(), cx) << value;
    EXPECT_EQ(needle.Y2(), cy) << value;
    EXPECT_GE(needle.X1(), dial.Left()) << value;
    EXPECT_LE(needle.X1(), dial.Left() + dial.Width()) << value;
    EXPECT_GE(needle.Y1(), dial.Top()) << value;
    EXPECT_LE(needle.Y1(), dial.Top() + dial.Height()) << value;
    // The dial is drawn: a white face with the hub at its centre.
    EXPECT_EQ(dial.Point(30, 30), 0xFFFFFF) << value;
    EXPECT_NE(dial.Point(dial.Width() / 2, dial.Height() / 2), 0xFFFFFF) << value;
}

TEST_F(SettingsGauges, NeedlesTurnAboutTheirDialsAndStayOnThem) {
    frmProperties& f = dialog();
    struct Case {
        ui::TextBox* box;
        const char* text;
        ui::PictureBox* dial;
        ui::Line* needle;
        double tipX, tipY;  // from the dial's centre
    } cases[] = {
        {&f.txtTempo, "5", &f.gauTempo, &f.gauTempoLine, -500, -60},
        {&f.txtTempo, "120", &f.gauTempo, &f.gauTempoLine, 0, -560},
        {&f.txtTempo, "1080", &f.gauTempo, &f.gauTempoLine, 500, -60},  // drawn as 235
        {&f.txtSpeed, "25%", &f.gauSpeed, &f.gauSpeedLine, -500, -60},
        {&f.txtSpeed, "400%", &f.gauSpeed, &f.gauSpeedLine, 500, -60},
    };
    for (const Case& c : cases) {
        c.box->setText(c.text);
        if (c.box == &f.txtTempo) {
            f.SetTempoGauge();
        } else {
            f.SetSpeedGauge();
        }
        const auto [cx, cy] = centreOf(*c.dial);
        EXPECT_NEAR(c.needle->X1(), cx + c.tipX, 1) << c.text;
        EXPECT_NEAR(c.needle->Y1(), cy + c.tipY, 1) << c.text;
        expectOnDial(*c.dial, *c.needle, c.text);
    }
}

TEST_F(SettingsGauges, NoChangeSitsUnderTheThumbAtOneHundredPercent) {
    frmProperties& f = dialog();
    auto* slider = qobject_cast<QSlider*>(f.sldGain.widget());
    ASSERT_NE(slider, nullptr);
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.orientation = slider->orientation();
    opt.minimum = slider->minimum();
    opt.maximum = slider->maximum();
    opt.sliderPosition = opt.sliderValue = -100;  // the gain is the value negated
    opt.tickPosition = slider->tickPosition();
    opt.tickInterval = slider->tickInterval();
    opt.upsideDown = slider->invertedAppearance();
    const QRect thumb =
        slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
    const double thumbMiddle = slider->geometry().x() + thumb.left() + thumb.width() / 2.0;
    const QRect label = f.lblNoChange.widget()->geometry();
    EXPECT_NEAR(label.left() + label.width() / 2.0, thumbMiddle, 1.5);
    // 100 % is at four fifths of the travel, not in the middle.
    EXPECT_GT(thumbMiddle, slider->geometry().center().x() + slider->width() / 5);
}

}  // namespace
}  // namespace velt::desk

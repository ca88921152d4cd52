// The level meter: the colour of each level against the threshold, the first reading taken as
// the threshold, one drawing for a constant input, the two open failures, and the meter closed
// while a take records and opened again afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "recorder_fixture.h"

namespace velt::desk::test_recorder {
namespace {

using test_boxes::Box;

using RecorderLevel = RecorderTest;

constexpr long kRed = 255, kYellow = 65535, kGreen = 65280;

TEST_F(RecorderLevel, ColoursTheBarByLevelAndThreshold) {
    G().WizardRunning = true;
    auto mirror = std::make_shared<RecordingMirror>();
    editor->thresholdValue = -20000;
    ScopedHook<std::shared_ptr<WizardRecordPage>> registered(Windows().wizardRecordPage, mirror);
    frmRecord& f = shownRecorder();
    f.MirrorsWizard = true;
    EXPECT_TRUE(f.tmrLevel.Enabled());
    EXPECT_TRUE(f.cmdThres.Enabled());
    EXPECT_FALSE(f.shpForeground.Visible());
    const double top = f.shpBackground.Top(), h = std::round(f.shpBackground.Height() * 0.95);
    EXPECT_DOUBLE_EQ(f.lineThres.Y1(), top + h - 20000 / 32767.0 * h);

    // The first reading becomes the threshold.
    meter.level = 6000;
    ui.advance(1);
    EXPECT_TRUE(f.shpForeground.Visible());
    EXPECT_EQ(editor->thresholdValue, -6000);
    const double y = top + h - 6000 / 32767.0 * h;
    EXPECT_DOUBLE_EQ(f.lineThres.Y1(), y);
    EXPECT_DOUBLE_EQ(f.lineThres.Y2(), y);
    EXPECT_EQ(f.line50.Visible(), y > f.line50.Y1());
    ASSERT_EQ(mirror->marks.size(), 1u);
    EXPECT_DOUBLE_EQ(mirror->marks[0].first, y);
    EXPECT_DOUBLE_EQ(f.shpForeground.Top(), y);
    EXPECT_DOUBLE_EQ(f.shpForeground.Top() + f.shpForeground.Height(),
                     top + f.shpBackground.Height());

    struct Case {
        int32_t threshold, level;
        long colour;
    } cases[] = {{1, 32512, kRed},
                 {1, 32511, kGreen},
                 {1, 8192, kGreen},
                 {1, 8191, kYellow},
                 {10000, 9999, kRed},
                 {10000, 10000, kGreen},
                 {1, 32768, kRed},  // a full negative
                                    // peak is clipping
                 {1, 0, kRed}};     // silence is below any threshold
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        editor->thresholdValue = -c.threshold;
        meter.level = c.level;
        ui.advance(1);
        EXPECT_EQ(f.shpForeground.FillColor(), c.colour);
        EXPECT_EQ(mirror->bars.back().colour, c.colour);
        const int32_t shown = std::min(c.level, 32767);
        EXPECT_DOUBLE_EQ(mirror->bars.back().top, top + h - shown / 32767.0 * h);
    }

    // A constant input is drawn once; readings out of range are passed over.
    const size_t drawn = mirror->bars.size();
    meter.level = 12000;
    ui.advance(50);
    EXPECT_EQ(mirror->bars.size(), drawn + 1);
    meter.level = -5;
    ui.advance(5);
    meter.level = 40000;
    ui.advance(5);
    EXPECT_EQ(mirror->bars.size(), drawn + 1);

    // Set Threshold takes the current level; at level 0 it changes nothing.
    meter.level = 3000;
    ui.advance(1);
    ui.user().click(f.cmdThres);
    EXPECT_EQ(editor->thresholdValue, -3000);
    meter.level = 0;
    ui.advance(1);
    ui.user().click(f.cmdThres);
    EXPECT_EQ(editor->thresholdValue, -3000);
}

// A first reading at the level of music is the player already playing, not the room: taken as
// the threshold it would silence the notes of the take. The threshold stays; Set Threshold still
// takes any level the user asks for.
TEST_F(RecorderLevel, AFirstReadingOfMusicLeavesTheThreshold) {
    struct Case {
        int32_t first, threshold;
    } cases[] = {{8191, -8191}, {8192, -384}, {23101, -384}, {32767, -384}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        editor->thresholdValue = -384;
        meter.level = c.first;
        frmRecord& f = shownRecorder();
        ui.advance(1);
        EXPECT_TRUE(f.shpForeground.Visible());
        EXPECT_EQ(editor->thresholdValue, c.threshold);
        ui.user().click(f.cmdThres);
        EXPECT_EQ(editor->thresholdValue, -c.first);
        ui::Unload<frmRecord>();
        ui::Release<frmRecord>();
    }
}

TEST_F(RecorderLevel, ClosedWhileATakeRecordsAndOpenedAfterwards) {
    frmRecord& f = shownRecorder();
    EXPECT_EQ(meter.calls, (std::vector<std::string>{"open -1"}));
    int cancel = 0;
    f.MMControl_RecordClick(cancel);
    EXPECT_EQ(meter.calls, (std::vector<std::string>{"open -1", "close"}));
    EXPECT_FALSE(f.tmrLevel.Enabled());
    EXPECT_FALSE(f.fraLevel.Enabled());
    EXPECT_FALSE(f.cmdThres.Enabled());
    feed(200);
    ui.advance(200);
    f.MMControl_StopClick(cancel);
    EXPECT_EQ(meter.calls, (std::vector<std::string>{"open -1", "close", "open -1"}));
    EXPECT_TRUE(f.tmrLevel.Enabled());
    f.MMControl_PlayClick(cancel);
    EXPECT_EQ(meter.calls.back(), "close");
    ui.advance(200);  // the end of the take
    EXPECT_EQ(meter.calls.back(), "open -1");
    ui.expectFileDialog({}).cancel();
}

TEST_F(RecorderLevel, AMeterThatCannotOpenLeavesTheWindowUsable) {
    meter.openResult = 4;
    ui.expectBox(Box("ERROR 4: Unable to open audio device.", "Level Error", 16, 172))
        .answer(ui::Answer::OK);
    frmRecord& f = shownRecorder();
    EXPECT_FALSE(f.fraLevel.Enabled());
    EXPECT_FALSE(f.tmrLevel.Enabled());
    ui::Release<frmRecord>();

    meter.available = false;
    ui.expectBox(Box("Unable to monitor recording level.", "Level Error", 48, 171))
        .answer(ui::Answer::OK);
    frmRecord& g = shownRecorder();
    EXPECT_FALSE(g.fraLevel.Enabled());
    // Recording does not depend on the meter (its second failure comes after the take).
    int cancel = 0;
    g.MMControl_RecordClick(cancel);
    EXPECT_EQ(g.RecordState(), "Record");
    ui.expectBox(Box("Unable to monitor recording level.", "Level Error", 48, 171))
        .answer(ui::Answer::OK);
    g.MMControl_StopClick(cancel);
    EXPECT_EQ(g.StatusBar.Text(), "Wave File Recorded");
    ui.expectFileDialog({}).cancel();
}

}  // namespace
}  // namespace velt::desk::test_recorder

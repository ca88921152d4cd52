// The input level meter of the recording window: the level of the default input, polled on a
// 1 ms timer through the program's audio input (Audio()), drawn as a bar coloured by class
// (red: below the threshold or near clipping, yellow: weak, green: good). It holds the input
// device, so it is closed while a take records or plays and opened again afterwards.
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/audio_input.h"
#include "desk/core/shared/message.h"
#include "desk/media/frm_record.h"

namespace velt::desk {

namespace {

constexpr long kBrightRed = 255;
constexpr long kYellow = 65535;
constexpr long kBrightGreen = 65280;
constexpr int32_t kFullScale = 32767;
constexpr int32_t kNearClipping = 0x7F00;
constexpr int32_t kWeak = 0x2000;
constexpr double kSliderMin = -32767;

}  // namespace

void frmRecord::OpenLevelMeter() {
    if (tmrLevel.Enabled()) return;
    AudioInput& input = Audio();
    if (!input.meterAvailable()) {
        ShowMessage("Unable to monitor recording level.", ui::Exclamation, "Level Error",
                    help_topic::LevelMeter);
        fraLevel.setEnabled(false);
        return;
    }
    const int32_t result = input.meterOpen(-1);
    if (result != 0) {
        ShowMessage("ERROR " + std::to_string(result) + ": Unable to open audio device.",
                    ui::Critical, "Level Error", help_topic::DeviceAndFileErrors);
        fraLevel.setEnabled(false);
        return;
    }
    tmrLevel.setEnabled(true);
    cmdThres.setEnabled(true);
    fraLevel.setEnabled(true);
    fraLevel.setVisible(true);
}

void frmRecord::CloseLevelMeter() {
    if (!tmrLevel.Enabled()) return;
    Audio().meterClose();
    tmrLevel.setEnabled(false);
    cmdThres.setEnabled(false);
    fraLevel.setEnabled(false);
}

void frmRecord::tmrLevel_Timer() {
    int32_t level = Audio().meterLevel();
    // A full-scale negative peak reads 32768: it is clipping, so it shows at the top.
    if (level == kFullScale + 1) level = kFullScale;
    currentLevel_ = level;
    if (level == previousLevel_) return;
    previousLevel_ = level;
    if (level < 0 || level > kFullScale) return;

    const int32_t threshold = -Editor->inputThresholdValue();
    long colour = kBrightGreen;
    if (level < threshold || level >= kNearClipping) {
        colour = kBrightRed;
    } else if (level < kWeak) {
        colour = kYellow;
    }
    const double base = shpBackground.Top();
    const double top = base + meterHeight_ - level / double(kFullScale) * meterHeight_;
    const double height = shpBackground.Height() - (top - base);
    shpForeground.setFillColor(colour);
    shpForeground.setBorderColor(colour);
    shpForeground.Move(shpForeground.Left(), top, shpForeground.Width(), height);

    const bool wizard = G().WizardRunning;
    if (firstReading_) {
        shpForeground.setVisible(true);
        // The first reading after the window opens is the room before the take, and becomes the
        // threshold. A reading at the level of music (a quarter of full scale or more) is the
        // player already playing: as a threshold it would silence the take's own notes, so the
        // threshold stays as it is.
        if (level < kWeak) cmdThres_Click();
        if (wizard) wizardPage().thresholdMark(lineThres.Y1(), lineThres.Y2(), line50.Visible());
        firstReading_ = false;
    }
    if (wizard) wizardPage().levelBar(colour, top, height);
}

void frmRecord::cmdThres_Click() {
    if (currentLevel_ < 1 || currentLevel_ > kFullScale) return;
    Editor->setInputThresholdValue(-currentLevel_);
    placeThresholdLine();
}

// The threshold mark at the editor's threshold; the fixed mark shows only above it.
void frmRecord::placeThresholdLine() {
    const double fraction = Editor->inputThresholdValue() / kSliderMin;
    const double y = shpBackground.Top() + meterHeight_ - fraction * meterHeight_;
    lineThres.setEnds(shpBackground.Left(), y, shpBackground.Left() + shpBackground.Width(), y);
    line50.setVisible(y > line50.Y1());
}

}  // namespace velt::desk

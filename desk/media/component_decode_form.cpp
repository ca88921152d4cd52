#include "desk/media/component_decode_form.h"

#include <cmath>

#include "desk/core/global.h"
#include "desk/core/shared/decode_files.h"

namespace velt::desk {

namespace {
constexpr int kEventPollMs = 20;
}

using platform::outside::DecoderEvent;

ComponentDecodeForm::ComponentDecodeForm(std::string name, platform::outside::DecoderFace face,
                                         std::unique_ptr<platform::outside::DecoderControl> control)
    : Form(std::move(name)), face_(face), control_(std::move(control)) {
    if (!control_) control_ = std::make_unique<platform::outside::CompressedDecoder>(face);
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    tmrEvents_.Tick = [this] { deliverEvents(); };
}

void ComponentDecodeForm::designWindow(const std::string& caption, const std::string& status,
                                       const std::string& analyzing) {
    setCaption(caption);
    Move(0, 0, 4800, 2160);
    lblStatus1.Move(240, 180, 4320, 255);
    lblStatus1.setCaption(analyzing);
    ProgressBar.Move(240, 540, 4320, 300);
    ProgressBar.setMin(0);
    ProgressBar.setMax(100);
    lblStatus.Move(240, 960, 4320, 255);
    lblStatus.setCaption(status);
    cmdCancel.Move(1800, 1440, 1200, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    tmrEvents_.setInterval(kEventPollMs);
    tmrEvents_.setEnabled(false);
}

void ComponentDecodeForm::startDecoding() {
    const Global& g = G();
    control_->setProperty(face_.input, g.SourceAudioFile);
    control_->setProperty(face_.output, g.WorkWaveFile);
    control_->invoke(face_.start);
    tmrEvents_.setEnabled(true);
}

void ComponentDecodeForm::stopDecoding() {
    control_->invoke(face_.stop);
}

bool ComponentDecodeForm::showProgress(double percent) {
    if (!(percent >= 0 && percent <= 100)) return false;
    ProgressBar.setValue(percent);
    lblStatus.setCaption(std::to_string(std::lrint(percent)) + "% completed");
    return true;
}

void ComponentDecodeForm::cmdCancel_Click() {
    unload();
}

void ComponentDecodeForm::Form_Unload(int&) {
    tmrEvents_.setEnabled(false);
    stopDecoding();
    if (!G().WaveReady) RemoveFileQuietly(G().WorkWaveFile);
}

void ComponentDecodeForm::deliverEvents() {
    for (const DecoderEvent& event : control_->takeEvents()) {
        if (!loaded()) return;  // closed by an earlier event: the rest count for nothing
        if (event.kind == DecoderEvent::Kind::Progress)
            progressEvent(event.percent);
        else
            errorEvent(event.code);
    }
}

}  // namespace velt::desk

// What the WMA and AAC decoding windows share: a decoder control (our FFmpeg component, or a
// double a test installs through the form factory), the progress bar and texts, and the delivery
// of the control's Progress and Error events. The control raises them on its own thread; a timer
// of the window collects them, so they reach the window only through the GUI event loop, one at a
// time, and none after the window has closed.
#pragma once

#include <memory>

#include "desk/ui/ui.h"
#include "platform/outside/compressed_decoder.h"

namespace velt::desk {

class ComponentDecodeForm : public ui::Form {
  public:
    ComponentDecodeForm(std::string name, platform::outside::DecoderFace face,
                        std::unique_ptr<platform::outside::DecoderControl> control);

    ui::ProgressBar ProgressBar{this, "ProgressBar"};
    ui::Label lblStatus{this, "lblStatus"};
    ui::Label lblStatus1{this, "lblStatus1"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};

    void cmdCancel_Click();

  protected:
    // The window's layout with its caption and texts.
    void designWindow(const std::string& caption, const std::string& status,
                      const std::string& analyzing);
    // Hands SourceAudioFile and WorkWaveFile to the control and starts or stops it.
    void startDecoding();
    void stopDecoding();
    // The progress bar and "<percent rounded half to even>% completed"; false for a percent
    // outside 0..100, which counts for nothing.
    bool showProgress(double percent);
    // Ends the decode; a window that closes without success removes the partial WAV file.
    void Form_Unload(int& Cancel) override;

    virtual void progressEvent(double percent) = 0;
    virtual void errorEvent(long code) = 0;

    platform::outside::DecoderControl& control() { return *control_; }

  private:
    void deliverEvents();

    platform::outside::DecoderFace face_;
    std::unique_ptr<platform::outside::DecoderControl> control_;
    ui::Timer tmrEvents_{this, "tmrEvents"};
};

}  // namespace velt::desk

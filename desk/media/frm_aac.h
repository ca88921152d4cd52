// frmAAC, the AAC decoding window: the decoder control AACDecoder (dispatch face 1/2/3/4)
// decodes SourceAudioFile into WorkWaveFile; progress 100 is success. A failed decode raises the
// control's Error event, which gets a "Decode Error" box and closes the window, so the window
// never waits for a decode that has already failed.
#pragma once

#include "desk/media/component_decode_form.h"

namespace velt::desk {

class frmAAC : public ComponentDecodeForm {
  public:
    // Without a control, the window makes our FFmpeg component.
    explicit frmAAC(std::unique_ptr<platform::outside::DecoderControl> control = nullptr);

    // Kept for the window's layout: never enabled.
    ui::Timer tmrAAC{this, "tmrAAC"};

    platform::outside::DecoderControl& AACDecoder() { return control(); }
    void AACDecoder_Progress(double percent);
    void AACDecoder_Error(long code);

  protected:
    void design() override;
    void Form_Load() override;
    void progressEvent(double percent) override { AACDecoder_Progress(percent); }
    void errorEvent(long code) override { AACDecoder_Error(code); }
};

}  // namespace velt::desk

// frmWMA, the WMA decoding window: the decoder control WMADecoder (dispatch face 2/3/10/11)
// decodes SourceAudioFile into WorkWaveFile. Until the control's first event, a 250 ms watchdog
// stops and restarts the decode. Progress 100 after progress strictly between 0 and 100 is
// success; 100 without it, or an Error event, gets its "Decode Error" box.
#pragma once

#include "desk/media/component_decode_form.h"

namespace velt::desk {

class frmWMA : public ComponentDecodeForm {
  public:
    // Without a control, the window makes our FFmpeg component.
    explicit frmWMA(std::unique_ptr<platform::outside::DecoderControl> control = nullptr);

    ui::Timer tmrWMA{this, "tmrWMA"};
    bool ProgressSeen = false;

    platform::outside::DecoderControl& WMADecoder() { return control(); }
    void tmrWMA_Timer();
    void WMADecoder_Progress(double percent);
    void WMADecoder_Error(long code);

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void progressEvent(double percent) override { WMADecoder_Progress(percent); }
    void errorEvent(long code) override { WMADecoder_Error(code); }
};

}  // namespace velt::desk

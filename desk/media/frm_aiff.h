// frmAIFF, the AIFF decoding window: once it is on screen, its one-shot timer runs our AIFF reader
// (DecodeAiff) on SourceAudioFile into WorkWaveFile, then shows "Error <n>: <text>" for a failure
// and closes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "desk/ui/ui.h"

namespace velt::desk {

class frmAIFF : public ui::Form {
  public:
    using Decoder = std::function<int16_t(const std::string& source, const std::string& wave)>;
    // Without a decoder, the window uses our AIFF reader.
    explicit frmAIFF(Decoder decoder = nullptr);

    ui::Label lblStatus{this, "lblStatus"};
    ui::Timer tmrStatus{this, "tmrStatus"};

    void tmrStatus_Timer();

    // The text of a failure code of the AIFF reader.
    static std::string ResultText(int16_t result);

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    Decoder decode_;
};

}  // namespace velt::desk

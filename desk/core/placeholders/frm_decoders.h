// Stand-ins for the four decoding windows (MP3, WMA, AAC, AIFF). Each honours the decode
// hand-over: loading clears WaveReady; when its timer fires it "decodes" SourceAudioFile into
// WorkWaveFile, which this build can do only for a file that already is a RIFF WAVE file (copied
// as it is); anything else gets a "Decode Error" box. WaveReady is set only when WorkWaveFile was
// written completely. Then the window closes itself.
#pragma once

#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

class DecodePlaceholder : public PlaceholderForm {
  public:
    DecodePlaceholder(std::string name, std::string caption);

    ui::Timer tmrStatus{this, "tmrStatus"};
    void tmrStatus_Timer();

  protected:
    void design() override;
    void Form_Load() override;
};

class frmMP3 : public DecodePlaceholder {
  public:
    frmMP3() : DecodePlaceholder("frmMP3", "MP3 Decoder") {}
};
class frmWMA : public DecodePlaceholder {
  public:
    frmWMA() : DecodePlaceholder("frmWMA", "WMA Decoder") {}
};
class frmAAC : public DecodePlaceholder {
  public:
    frmAAC() : DecodePlaceholder("frmAAC", "AAC Decoder") {}
};
class frmAIFF : public DecodePlaceholder {
  public:
    frmAIFF() : DecodePlaceholder("frmAIFF", "AIFF Decoder") {}
};

}  // namespace velt::desk

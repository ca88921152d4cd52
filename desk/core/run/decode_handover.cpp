#include "desk/core/run/decode_handover.h"

#include <algorithm>
#include <cctype>

#include "desk/core/global.h"
#include "desk/core/shared/message.h"

namespace velt::desk {

DecodingWindow DecodingWindowFor(const std::string& audioFile) {
    std::string ending = audioFile.size() >= 4 ? audioFile.substr(audioFile.size() - 4) : audioFile;
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (ending == ".MP3") return DecodingWindow::MP3;
    if (ending == ".WMA") return DecodingWindow::WMA;
    if (ending == ".AAC") return DecodingWindow::AAC;
    return DecodingWindow::AIFF;
}

// Until the decoding windows are built, every compressed format is refused the way a failed
// decode is: a message of the window's own, and WaveReady left false.
void DecodeSourceAudio(const std::string& chosenBy) {
    (void)DecodingWindowFor(chosenBy);
    Global& g = G();
    g.WaveReady = false;
    ShowMessage("Unable to decode '" + g.SourceAudioFile + "'. This audio format is not supported.",
                48, "Decode Error");
}

}  // namespace velt::desk

#include "desk/core/run/decode_handover.h"

#include <algorithm>
#include <cctype>

#include "desk/core/global.h"

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

void DecodeSourceAudio(const std::string& chosenBy) {
    switch (DecodingWindowFor(chosenBy)) {
        case DecodingWindow::MP3:
            CallHook(Windows().decodeMp3);
            break;
        case DecodingWindow::WMA:
            CallHook(Windows().decodeWma);
            break;
        case DecodingWindow::AAC:
            CallHook(Windows().decodeAac);
            break;
        case DecodingWindow::AIFF:
            CallHook(Windows().decodeAiff);
            break;
    }
}

}  // namespace velt::desk

#include "desk/core/shared/midi_message.h"

#include <string>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "platform/midi_out/midi_out.h"

namespace velt::desk {

void SendMidiMsg(int32_t status, int32_t data1, int32_t data2) {
    Global& g = G();
    uint32_t packed = static_cast<uint32_t>(status & 0xFF) |
                      (static_cast<uint32_t>(data1 & 0xFF) << 8) |
                      (static_cast<uint32_t>(data2 & 0xFF) << 16);
    g.MidiResult = platform::midi_out::shortMessage(g.hMidiOut, packed);
    if (g.SuppressMidiErrors || g.MidiResult == 0) return;
    std::string text;
    switch (g.MidiResult) {
        case platform::midi_out::InvalidHandle:
            text = "MMSYSTEM: The specified device handle is invalid.";
            break;
        case platform::midi_out::NotReady:
            text = "MMSYSTEM: The hardware is busy with other data.";
            break;
        default:
            text = "MMSYSTEM: Error " + std::to_string(g.MidiResult);
    }
    ShowMessage(text, ui::Exclamation, "Send MIDI", help_topic::MidiAndAudioDeviceErrors);
}

}  // namespace velt::desk

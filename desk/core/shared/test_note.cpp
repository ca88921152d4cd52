#include "desk/core/shared/test_note.h"

#include "desk/core/global.h"
#include "desk/core/shared/midi_message.h"
#include "platform/midi_out/midi_out.h"

namespace velt::desk {

std::string testNoteError(int32_t result) {
    switch (result) {
        case 2:
            return "MMSYSTEM: The specified device identifier is out of range.";
        case 4:
            return "MMSYSTEM: The specified resource is already allocated.  If another MIDI "
                   "program is running, close it and try again.";
        case 7:
            return "MMSYSTEM: The system is unable to allocate or lock memory.";
        case 11:
            return "MMSYSTEM: The specified pointer or structure is invalid.";
        case 68:
            return "MMSYSTEM: No MIDI port was found.";
        default:
            return "MMSYSTEM: Error " + std::to_string(result);
    }
}

int32_t OpenTestTonePort(int32_t device) {
    Global& g = G();
    g.MidiResult = platform::midi_out::open(g.hMidiOut, device);
    return g.MidiResult;
}

void SendTestTone(int32_t channel, int32_t program, const std::vector<int32_t>& notes,
                  int32_t velocity) {
    SendMidiMsg(0xC0 + channel, program, 0);
    for (int32_t note : notes) SendMidiMsg(0x90 + channel, note, velocity);
}

void EndTestTone() {
    Global& g = G();
    g.MidiResult = platform::midi_out::reset(g.hMidiOut);
    g.MidiResult = platform::midi_out::close(g.hMidiOut);
    g.hMidiOut = 0;  // the port is gone: nothing may send on its old number
}

void SetMetronomeProgram(int32_t channel, int32_t program) {
    SendMidiMsg(0xC0 + channel, program, 0);
}

void SendMetronomeClick(int32_t channel, bool firstBeat, int32_t velocity) {
    SendMidiMsg(0x90 + channel, firstBeat ? 60 : 55, velocity);
}

std::vector<int32_t> TonicChord(int32_t root, bool major) {
    int32_t fifth = root + 7;
    if (fifth > 66) fifth -= 12;
    int32_t third = root + (major ? 4 : 3);
    if (third > 66) third -= 12;
    return {root, fifth, third};
}

}  // namespace velt::desk

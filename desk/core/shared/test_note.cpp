#include "desk/core/shared/test_note.h"

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

}  // namespace velt::desk

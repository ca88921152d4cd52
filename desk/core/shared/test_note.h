// The texts of a failed MIDI port open, as the test notes, the test tones and the metronome
// show them.
#pragma once

#include <cstdint>
#include <string>

namespace velt::desk {

// "MMSYSTEM: " and the text for the results 2, 4, 7, 11 and 68; "MMSYSTEM: Error <n>" otherwise.
std::string testNoteError(int32_t result);

}  // namespace velt::desk

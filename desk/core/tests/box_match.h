// Matchers for the message boxes of the core procedures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desk/ui/testing/script.h"

namespace velt::desk::test_boxes {

// A box with exactly this text (or, with `prefix`, a text that starts with it), this title and
// icon; a help topic of 0 means the box has no Help button.
inline ui::test::BoxMatch Box(const std::string& text, const std::string& title, int icon,
                              long help = 0, bool prefix = false) {
    ui::test::BoxMatch m;
    if (prefix)
        m.textStartsWith = text;
    else
        m.text = text;
    m.title = title;
    m.icon = icon;
    m.help = help;
    return m;
}

// A failure to open a MIDI port and the text of the box that reports it, the same in every
// window that opens one.
struct MidiOpenError {
    int32_t result;
    std::string text;
};
inline const std::vector<MidiOpenError>& midiOpenErrors() {
    static const std::vector<MidiOpenError> errors = {
        {2, "MMSYSTEM: The specified device identifier is out of range."},
        {4,
         "MMSYSTEM: The specified resource is already allocated.  If another MIDI program is "
         "running, close it and try again."},
        {6, "MMSYSTEM: Error 6"},
        {7, "MMSYSTEM: The system is unable to allocate or lock memory."},
        {11, "MMSYSTEM: The specified pointer or structure is invalid."},
        {68, "MMSYSTEM: No MIDI port was found."},
        {99, "MMSYSTEM: Error 99"},
    };
    return errors;
}

}  // namespace velt::desk::test_boxes

#include "platform/mm_error/mm_error.h"

namespace velt::platform {

std::string mmErrorText(int error) {
    switch (error) {
        case kMmOk:
            return "The specified command was carried out.";
        case kMmError:
            return "Undefined external error.";
        case kMmBadDeviceId:
            return "The specified device identifier is out of range.";
        case kMmAllocated:
            return "The specified resource is already allocated.";
        case kMmInvalidHandle:
            return "The specified device handle is invalid.";
        case kMmNoDriver:
            return "There is no driver installed on your system.";
        case kMmNoMemory:
            return "The system is unable to allocate or lock memory.";
        case kMmNotSupported:
            return "The function requested by a message is not supported.";
        case kMmInvalidParam:
            return "The specified pointer or structure is invalid.";
        case kWaveBadFormat:
            return "The specified format is not supported or cannot be translated.";
        case kMidiNotReady:
            return "The hardware is busy with other data.";
        case kMidiNoDevice:
            return "No MIDI port was found.";
        default:
            return std::string();
    }
}

std::string mmResultText(int error) {
    if (error == kMmOk) return "";
    std::string text = mmErrorText(error);
    return text.empty() ? "Error " + std::to_string(error) + "." : text;
}

}  // namespace velt::platform

#include "platform/mci/mci_error.h"

namespace velt::platform::mci {

namespace {

struct Entry {
    int32_t number;
    const char* text;
};

constexpr Entry kTexts[] = {
    {kMciOk, "The command succeeded."},
    {kMciUnknownCommand, "The multimedia command is not one this device understands."},
    {kMciUnknownKeyword, "The multimedia command holds a word or value it does not accept."},
    {kMciBadString,
     "The multimedia command is not well formed: a quote is missing or misplaced, a file name "
     "holds a quote, or a value is missing."},
    {kMciAliasNotOpen, "No multimedia device is open under that name."},
    {kMciAliasInUse, "That name already belongs to an open multimedia device."},
    {kMciFileNotFound, "The file cannot be found."},
    {kMciInvalidFile, "The file is damaged or is not of a kind this device plays."},
    {kMciNoDevice, "There is no sound or MIDI device to use."},
    {kMciBusy, "The device is busy. Try again when it has finished."},
    {kMciFormatNotSupported, "The device cannot play or record in this sound format."},
    {kMciOutOfRange, "A position or setting is out of the range the device accepts."},
    {kMciWriteFailed, "The file could not be written. Check the folder and the free space."},
    {kMciHardwareFailure, "The sound or MIDI device failed. Check its settings and connections."},
};

}  // namespace

bool mciGetErrorString(int32_t error, std::string& text) {
    for (const Entry& e : kTexts) {
        if (e.number == error) {
            text = e.text;
            return true;
        }
    }
    text = "Unknown multimedia error " + std::to_string(error) + ".";
    return false;
}

}  // namespace velt::platform::mci

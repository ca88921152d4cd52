#include "desk/core/run/outcome.h"

#include <charconv>
#include <cmath>

#include "desk/core/help_topics.h"

namespace velt::desk {

namespace {

struct ExactCode {
    float status;
    const char* text;
    long help;
};

// Checked first, in this order.
const ExactCode kExactCodes[] = {
    {-3.023f, "No Audio File specified.", help_topic::NoAudioFile},
    {-3.006f, "Unable to create MIDI File.", help_topic::MidiFileNotCreated},
    {-3.008f, "Specified Project does not exist.", help_topic::OpeningProject},
    {-3.015f, "Specified Audio File does not exist.", help_topic::AudioFileMissing},
    {-2.016f, "Unable to read Audio File.", help_topic::AudioFileUnreadable},
    {-2.021f, "Unable to read Audio File.", help_topic::AudioFileUnreadable},
    {-5.007f, "Unable to write to MIDI File.", help_topic::MidiFileNotWritten},
    {-5.019f, "Unable to write to MIDI File.", help_topic::MidiFileNotWritten},
    {-5.020f, "Unable to write to MIDI File.", help_topic::MidiFileNotWritten},
    {-5.022f, "Unable to write to MIDI File.", help_topic::MidiFileNotWritten},
    // The bridge's own: the engine ended, saying it could not write its status file.
    {-8.001f,
     "The converter could not write its status file: the exchange folder is full or unwritable.",
     help_topic::None},
};

struct TypeRow {
    int type;
    const char* text;
    long help;
};

// By the integer part of the value. Type 8 is the bridge's own: the engine ended without
// writing a final status line (it crashed or was killed).
const TypeRow kTypes[] = {
    {1, "User aborted conversion process.", help_topic::ConversionStopped},
    {2, "Error reading from file.", help_topic::None},
    {3, "Error opening file.", help_topic::None},
    {4, "Wave format not supported or invalid.", help_topic::AudioFormatNotSupported},
    {5, "Error writing to file.", help_topic::None},
    {6, "Out of memory.", help_topic::OutOfMemory},
    {7, "Cannot create MIDI File due to timing settings.", help_topic::TimingSettings},
    {8, "The converter stopped without reporting.", help_topic::None},
    {9,
     "Insufficient information to detect timing settings. You must manually tap in the tempo "
     "and select a Timing Resolution for this audio file.",
     help_topic::TimingNotDetected},
};

bool within(float value, double low, double high) {
    return std::isfinite(value) && value >= low && value <= high;
}

bool within(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

}  // namespace

std::string StatusValueText(float status) {
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, status);
    if (error != std::errc()) return "0";
    return std::string(text, end);
}

OutcomeMessage DescribeOutcome(float status) {
    OutcomeMessage out;
    bool found = false;
    for (const ExactCode& code : kExactCodes) {
        if (status == code.status) {
            out.text = code.text;
            out.helpTopic = code.help;
            found = true;
            break;
        }
    }
    if (!found && std::isfinite(status)) {
        double type = std::trunc(std::fabs(static_cast<double>(status)));
        for (const TypeRow& row : kTypes) {
            if (type == row.type) {
                out.text = row.text;
                out.helpTopic = row.help;
                break;
            }
        }
    }
    out.text += "  " + StatusValueText(status);
    return out;
}

bool PlausibleStatus(const ConvertStatus& r) {
    // Percent (or a live input level) up to 32767, the finished mark 100000, or an outcome code.
    bool status = within(r.status, -1000.0, 32767.0) || std::trunc(r.status) == KVX_STATUS_FINISHED;
    return status && within(r.lowKey, -1, 128) && within(r.highKey, -1, 128) &&
           within(r.keySig, -7, 8) && within(r.keyMode, 0, 1) && within(r.tempo, 0.0, 10000.0) &&
           within(r.resolution, -1.0, 16.0) && within(r.startPoint, -86400.0, 1e7) &&
           within(r.chordRes, 0, 1000) && within(r.timeSigNumerator, 0, 1000) &&
           within(r.noteKey, -1, 128) && within(r.noteBend, -1000.0, 1000.0) &&
           within(r.referencePitch, 1.0, 100000.0);
}

}  // namespace velt::desk

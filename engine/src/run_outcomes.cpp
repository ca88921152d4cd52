#include "run_outcomes.h"

namespace velt::engine {

namespace {

using namespace outcome;

constexpr const char* kMidiWriteText = "writing the MIDI file failed";
constexpr const char* kTempoReadText = "read or seek failure during tempo detection";
constexpr const char* kAudioReadText = "seek or read in the audio file failed";
constexpr const char* kNoTagText = "no \"data\" or no \"fmt \" tag in the first 4,132 bytes";
constexpr const char* kZeroOrHugeDivisionText =
    "the timing gives 0, or 32768 or more, ticks per quarter note";
constexpr const char* kTempoRangeText =
    "the timing gives a tempo of 0, or more than 16,777,215, microseconds per quarter";
constexpr const char* kTooLittleText = "too little in the audio to detect the timing";
constexpr const char* kDeviceText =
    "the MIDI output or the wave input device could not be opened (e: device error)";

constexpr OutcomeEntry entry(RunOutcome code, const char* cause) {
    return {code.type, code.detail, cause};
}

constexpr OutcomeEntry kTable[] = {
    entry(kCancelled,
          "cancelled by command 1 (or stopped by a signal or the loss of the starter: no MIDI file "
          "kept)"),
    entry(kAudioTooShort,
          "the head of the audio file (its first 4,132 bytes, or the whole of a shorter file) "
          "could not be read"),
    entry(kAudioSeekFailed, kAudioReadText),
    entry(kAudioReadFailed, kAudioReadText),
    entry(kFilterDataUnreadable, "a filter data file could not be read"),
    entry(kTempoSeekFailed, kTempoReadText),
    entry(kTempoReadFailed, kTempoReadText),
    entry(kTempoChunkNotAllocated, kTempoReadText),
    entry(kMidiFileNotCreated,
          "the MIDI file could not be created (or it would replace the audio file, or it names a "
          "device, fifo, folder or a file that is not a MIDI file, which is left alone)"),
    entry(kProjectNotOpened, "the project file could not be opened"),
    entry(kAudioNotOpened, "the audio file could not be opened"),
    entry(kBadChannelCount, "channel count not 1 or 2"),
    entry(kBadSampleRate, "sample rate outside 1,000..768,000 Hz"),
    entry(kBadSampleSize, "bits per sample not 8, 16, 24 or 32"),
    entry(kNotPcm, "not PCM (for example floating-point data)"),
    entry(kNoDataTag, kNoTagText),
    entry(kNoFormatTag, kNoTagText),
    entry(kMidiPlaceholderNotWritten, kMidiWriteText),
    entry(kMidiHeaderNotWritten, kMidiWriteText),
    entry(kMidiTrackHeaderNotWritten, kMidiWriteText),
    entry(kMidiFileNotCompleted, kMidiWriteText),
    entry(kMidiTextNotWritten, kMidiWriteText),
    entry(kMidiCreatorNotWritten, kMidiWriteText),
    {kOutOfMemory, kAnyDetail, "out of memory"},
    entry(kZeroDivision, kZeroOrHugeDivisionText),
    entry(kDivisionTooLarge, kZeroOrHugeDivisionText),
    entry(kZeroTempo, kTempoRangeText),
    entry(kTempoTooSlow, kTempoRangeText),
    entry(kTooFewOnsets, kTooLittleText),
    entry(kNoBeatPeriod, kTooLittleText),
    {kMidiDeviceFailed, kAnyDetail, kDeviceText},
    {kWaveInDeviceFailed, kAnyDetail, kDeviceText},
};

}  // namespace

std::span<const OutcomeEntry> OutcomeTable() {
    return kTable;
}

const char* OutcomeCause(RunOutcome outcome) {
    for (const OutcomeEntry& e : kTable) {
        if (e.type == outcome.type && (e.detail == kAnyDetail || e.detail == outcome.detail))
            return e.cause;
    }
    return nullptr;
}

}  // namespace velt::engine

// Every way a run can end, named once. A run that fails reports -(type + detail / 1000) as its
// status value; the README's outcome table lists the same codes with the same causes (a test
// holds the two together).
#pragma once

#include <span>

namespace velt::engine {

// How a run ended: type 0 success, 1 cancel, 2 and higher errors (detail says which).
struct RunOutcome {
    int type = 0;
    int detail = 0;
};

// Thrown by a stage that cannot go on (a file that cannot be read or written, a buffer that
// cannot be had): the driver ends the run with this outcome. Stages never finish a run themselves.
struct StageFailure {
    RunOutcome outcome;
};

// The outcome types.
enum OutcomeType : int {
    kRunSucceeded = 0,
    kRunCancelled = 1,
    kFileReadFailed = 2,
    kFileOpenFailed = 3,
    kAudioFormatRefused = 4,
    kMidiWriteFailed = 5,
    kOutOfMemory = 6,
    kTimingOutOfRange = 7,
    kTooLittleForTiming = 9,
    kMidiDeviceFailed = 10,
    kWaveInDeviceFailed = 11,
};

namespace outcome {

inline constexpr RunOutcome kSucceeded{kRunSucceeded, 0};
inline constexpr RunOutcome kCancelled{kRunCancelled, 0};

inline constexpr RunOutcome kAudioTooShort{kFileReadFailed, 16};
inline constexpr RunOutcome kAudioSeekFailed{kFileReadFailed, 21};
inline constexpr RunOutcome kAudioReadFailed{kFileReadFailed, 39};
inline constexpr RunOutcome kFilterDataUnreadable{kFileReadFailed, 33};
inline constexpr RunOutcome kTempoSeekFailed{kFileReadFailed, 37};
inline constexpr RunOutcome kTempoReadFailed{kFileReadFailed, 38};
inline constexpr RunOutcome kTempoChunkNotAllocated{kFileReadFailed, 59};

inline constexpr RunOutcome kMidiFileNotCreated{kFileOpenFailed, 6};
inline constexpr RunOutcome kProjectNotOpened{kFileOpenFailed, 8};
inline constexpr RunOutcome kAudioNotOpened{kFileOpenFailed, 15};

inline constexpr RunOutcome kBadChannelCount{kAudioFormatRefused, 9};
inline constexpr RunOutcome kBadSampleRate{kAudioFormatRefused, 10};
inline constexpr RunOutcome kBadSampleSize{kAudioFormatRefused, 11};
inline constexpr RunOutcome kNotPcm{kAudioFormatRefused, 17};
inline constexpr RunOutcome kNoDataTag{kAudioFormatRefused, 18};
inline constexpr RunOutcome kNoFormatTag{kAudioFormatRefused, 43};

inline constexpr RunOutcome kMidiPlaceholderNotWritten{kMidiWriteFailed, 7};
inline constexpr RunOutcome kMidiHeaderNotWritten{kMidiWriteFailed, 19};
inline constexpr RunOutcome kMidiTrackHeaderNotWritten{kMidiWriteFailed, 20};
inline constexpr RunOutcome kMidiFileNotCompleted{kMidiWriteFailed, 22};
inline constexpr RunOutcome kMidiTextNotWritten{kMidiWriteFailed, 29};
inline constexpr RunOutcome kMidiCreatorNotWritten{kMidiWriteFailed, 35};

inline constexpr RunOutcome kZeroDivision{kTimingOutOfRange, 24};
inline constexpr RunOutcome kDivisionTooLarge{kTimingOutOfRange, 25};
inline constexpr RunOutcome kZeroTempo{kTimingOutOfRange, 26};
inline constexpr RunOutcome kTempoTooSlow{kTimingOutOfRange, 27};

inline constexpr RunOutcome kTooFewOnsets{kTooLittleForTiming, 36};
inline constexpr RunOutcome kNoBeatPeriod{kTooLittleForTiming, 37};

}  // namespace outcome

// The details of kOutOfMemory: which buffer could not be had.
namespace memory_detail {
inline constexpr int kRunBuffers = 1;  // the sample buffer, or any buffer of the run
inline constexpr int kResonatorRecords = 13;
inline constexpr int kResonatorTables = 14;
inline constexpr int kReadBuffer = 40;
inline constexpr int kBeatLengths = 42;
inline constexpr int kAutoTimingBins = 45;
}  // namespace memory_detail

// An entry of the outcome table: one code (or, with kAnyDetail, a whole type whose detail is
// a device error or a buffer) and its cause as the README gives it.
inline constexpr int kAnyDetail = -1;
struct OutcomeEntry {
    int type;
    int detail;
    const char* cause;
};

// All outcomes other than success, in the order of the README's table.
std::span<const OutcomeEntry> OutcomeTable();

// The cause of an outcome, nullptr for success or a code not in the table.
const char* OutcomeCause(RunOutcome outcome);

}  // namespace velt::engine

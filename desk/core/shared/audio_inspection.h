// What an audio file is, as the converter judges it: real-time input, a file that is missing or
// in a format the program cannot read, a compressed file whose decoded copy is read, or a PCM wave
// file with its head, its usable length and its recording level. The inspection hands compressed
// files to their decoding window (which sets the decoding hand-over variables of the shared
// module); it shows nothing else and keeps no state. The settings dialog shows what it finds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "desk/core/shared/wave_head.h"

namespace velt::desk {

// How a decoding window ended: it ran (WaveReady tells whether it decoded), or the decoder of
// the format is not installed.
enum class DecodeOutcome { Shown, ComponentMissing };

// Decodes the compressed file SourceAudioFile names into WorkWaveFile (its window is chosen by
// the name it is given).
using AudioDecoder = std::function<DecodeOutcome(const std::string&)>;

// The decoding windows of the program (DecodeSourceAudio).
DecodeOutcome DecodeWithWindow(const std::string& file);

enum class AudioFinding {
    RealTime,        // no file: the sound card's input is converted
    Missing,         // the file does not exist
    NotSupported,    // neither wave nor a compressed format the program decodes
    DecoderMissing,  // compressed, and the decoder of its format is not installed
    NotDecoded,      // compressed, and the decode failed or was cancelled
    Wave,            // a wave file (the file itself or the decoded copy) was read
};

// The recording level the level check measured, each a fraction (0.10 = 10 %).
struct RecordingLevel {
    float distortion = 0;  // share of the file that is clipped
    float peak = 0;        // the loudest sample, of full scale
};

struct AudioInspection {
    AudioFinding finding = AudioFinding::RealTime;
    std::string waveFile;    // the PCM file read (Wave only)
    WaveHead head;           // what its head holds; head.verdict says whether it is accepted
    float exactSeconds = 0;  // the usable length of an accepted file
    // Measured only for an accepted file other than `lastShown`, and when the check gave a result.
    std::optional<RecordingLevel> level;

    bool accepted() const {
        return finding == AudioFinding::Wave && head.verdict == WaveVerdict::Accepted;
    }
};

// Inspects `audioPath` ("" = real-time input). A name not ending in ".WAV" (any case) is read
// from the decoded copy TempFolder/~temp.wav: the one already there when WaveReady is set,
// otherwise the one `decode` writes from an MP3, WMA, AAC, AIF or AIFF file (SourceAudioFile and
// WorkWaveFile are set for it first). A wave file clears SourceAudioFile and sets WaveReady.
// `lastShown` is the wave file whose level is already known: it is not measured again.
AudioInspection InspectAudioFile(const std::string& audioPath, const std::string& lastShown,
                                 const AudioDecoder& decode = DecodeWithWindow);

}  // namespace velt::desk

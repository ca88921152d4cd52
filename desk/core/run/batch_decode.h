// Compressed audio on the command-line road: a project whose audio file is MP3, WMA, AAC or AIFF
// is decoded as the Convert command decodes it (the same decoding window, which shows nothing
// without a display and is minimized with one), into the working WAV file, and the working
// project is pointed at that file. The MIDI file stays where the project puts it.
#pragma once

#include <optional>
#include <string>

namespace velt::desk {

// True for the names the decoders take: ".mp3", ".wma", ".aac", ".aif", ".aiff" (any case).
bool IsCompressedAudioName(const std::string& path);

struct BatchAudio {
    std::string workingWave;             // the decoded WAV to remove after the run; empty: none
    std::optional<std::string> failure;  // the log line's outcome when the audio can't be had
};

// Decodes the audio of the working project TempProject when it is compressed, and writes the
// WAV file's name into the working project. A failed decode gives the decoder's own message.
BatchAudio PrepareBatchAudio();

// True when the WAV file the run converts (`workingWave`, else the working project's audio
// file) is a PCM file shorter than the engine's shortest analysis window.
bool BatchAudioTooShort(const std::string& workingWave);

}  // namespace velt::desk

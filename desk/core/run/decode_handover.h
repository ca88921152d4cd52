// Compressed audio before a conversion: the decoding window for a file, chosen by the last four
// characters of its name, decodes SourceAudioFile into WorkWaveFile and sets WaveReady only when
// the WAV file was written completely.
#pragma once

#include <string>

namespace velt::desk {

enum class DecodingWindow { MP3, WMA, AAC, AIFF };

// ".MP3", ".WMA", ".AAC" (any case); everything else goes to the AIFF window.
DecodingWindow DecodingWindowFor(const std::string& audioFile);

// Shows the decoding window chosen by the name `chosenBy` modally; it decodes SourceAudioFile
// into WorkWaveFile. Afterwards WaveReady tells the outcome.
void DecodeSourceAudio(const std::string& chosenBy);

}  // namespace velt::desk

// Audio files made at test time by the tools setup installs: a short melody by sox, and its
// encodings (lame MP3, ffmpeg WMA and ADTS AAC, sox AIFF and AIFC).
#pragma once

#include <filesystem>
#include <string>

namespace velt::test {

struct MelodySpec {
    int rate = 44100;
    int channels = 2;
    int bits = 16;
    double noteSeconds = 0.5;  // four notes: C4 E4 G4 C5
};

// Writes the melody with sox into `file`, whose extension picks the format (.wav, .aiff,
// .aifc, ...). False when sox failed.
bool makeMelody(const std::filesystem::path& file, const MelodySpec& spec = {});

enum class Encoding { Mp3, Wma, Aac };

// Encodes a WAV file into `file` (lame, ffmpeg -c:a wmav2, ffmpeg -c:a aac -f adts). False when
// the encoder failed.
bool encode(const std::filesystem::path& wave, const std::filesystem::path& file, Encoding how);

}  // namespace velt::test

#include "audio_fixtures.h"

#include "test_support.h"

namespace velt::test {

bool makeMelody(const std::filesystem::path& file, const MelodySpec& spec) {
    const std::string length = std::to_string(spec.noteSeconds);
    std::string command = "sox -n -r " + std::to_string(spec.rate) + " -c " +
                          std::to_string(spec.channels) + " -b " + std::to_string(spec.bits) + " " +
                          shellQuote(file.string());
    const char* notes[] = {"C4", "E4", "G4", "C5"};
    for (int i = 0; i < 4; ++i) {
        if (i > 0) command += " :";
        command += std::string(" synth ") + length + " pluck " + notes[i];
    }
    return runCommand(command + " 2>&1").exitCode == 0 && std::filesystem::exists(file);
}

bool encode(const std::filesystem::path& wave, const std::filesystem::path& file, Encoding how) {
    const std::string in = shellQuote(wave.string());
    const std::string out = shellQuote(file.string());
    std::string command;
    switch (how) {
        case Encoding::Mp3:
            command = "lame --quiet " + in + " " + out;
            break;
        case Encoding::Wma:
            command = "ffmpeg -nostdin -v error -y -i " + in + " -c:a wmav2 -f asf " + out;
            break;
        case Encoding::Aac:
            command = "ffmpeg -nostdin -v error -y -i " + in + " -c:a aac -f adts " + out;
            break;
    }
    return runCommand(command + " 2>&1").exitCode == 0 && std::filesystem::exists(file);
}

}  // namespace velt::test

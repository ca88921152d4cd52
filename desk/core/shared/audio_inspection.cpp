#include "desk/core/shared/audio_inspection.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/run/decode_handover.h"
#include "platform/outside/wave_check.h"

namespace velt::desk {

namespace {

std::string upperTail(const std::string& text, size_t n) {
    std::string tail = text.size() >= n ? text.substr(text.size() - n) : text;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return tail;
}

bool decodable(const std::string& path) {
    const std::string ext4 = upperTail(path, 4);
    return ext4 == ".MP3" || ext4 == ".WMA" || ext4 == ".AAC" || ext4 == ".AIF" ||
           upperTail(path, 5) == ".AIFF";
}

// The head, the usable length and, unless `lastShown` is this file, the recording level.
void readWave(AudioInspection& found, const std::string& lastShown) {
    found.finding = AudioFinding::Wave;
    found.head = ReadWaveHead(found.waveFile);
    if (found.head.verdict != WaveVerdict::Accepted) return;
    found.exactSeconds = static_cast<float>(static_cast<double>(found.head.usableBytes) /
                                            found.head.blockAlign / found.head.sampleRate);
    if (found.waveFile == lastShown) return;
    platform::outside::WaveChecker checker;
    if (checker.CheckWave(found.waveFile) != -1)
        found.level = RecordingLevel{checker.GetDistort(), checker.GetMax()};
}

}  // namespace

DecodeOutcome DecodeWithWindow(const std::string& file) {
    DecodeSourceAudio(file);
    return DecodeOutcome::Shown;
}

AudioInspection InspectAudioFile(const std::string& audioPath, const std::string& lastShown,
                                 const AudioDecoder& decode) {
    Global& g = G();
    const std::string path = audioPath;  // the caller's text may change while a window decodes
    AudioInspection found;
    if (path.empty()) {
        g.SourceAudioFile.clear();
        found.finding = AudioFinding::RealTime;
        return found;
    }
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        found.finding = AudioFinding::Missing;
        return found;
    }
    if (upperTail(path, 4) == ".WAV") {
        g.SourceAudioFile.clear();
        g.WaveReady = true;
        found.waveFile = path;
        readWave(found, lastShown);
        return found;
    }

    const std::string decoded = g.TempFolder + "/~temp.wav";
    if (!g.WaveReady) {  // otherwise the earlier decode is reused
        g.SourceAudioFile = path;
        g.WorkWaveFile = decoded;
        if (!decodable(path)) {
            found.finding = AudioFinding::NotSupported;
            return found;
        }
        if (decode(path) == DecodeOutcome::ComponentMissing) {
            found.finding = AudioFinding::DecoderMissing;
            return found;
        }
        if (!g.WaveReady) {
            found.finding = AudioFinding::NotDecoded;
            return found;
        }
    }
    found.waveFile = decoded;
    readWave(found, lastShown);
    return found;
}

}  // namespace velt::desk

#include "desk/core/run/batch_decode.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "desk/core/global.h"
#include "desk/core/run/batch_project_check.h"
#include "desk/core/run/decode_handover.h"
#include "desk/core/shared/wave_head.h"

namespace velt::desk {

namespace {

namespace fs = std::filesystem;

std::string upperTail(const std::string& path, size_t n) {
    std::string tail = path.size() >= n ? path.substr(path.size() - n) : path;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return tail;
}

std::optional<std::string> readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

bool IsCompressedAudioName(const std::string& path) {
    const std::string ext4 = upperTail(path, 4);
    return ext4 == ".MP3" || ext4 == ".WMA" || ext4 == ".AAC" || ext4 == ".AIF" ||
           upperTail(path, 5) == ".AIFF";
}

BatchAudio PrepareBatchAudio() {
    Global& g = G();
    BatchAudio out;
    const std::optional<std::string> project = readText(g.TempProject);
    if (!project) return out;  // the run reports the missing working project
    const std::string audio = EngineKeyValue(*project, "AudioFile=");
    if (!IsCompressedAudioName(audio)) return out;
    std::error_code ec;
    // The engine's own words for a missing audio file; no decoder is started for it.
    if (!fs::is_regular_file(audio, ec)) {
        out.failure = "Specified Audio File does not exist.  -3.015";
        return out;
    }

    g.SourceAudioFile = audio;
    g.WorkWaveFile = g.TempFolder + "/~temp.wav";
    g.BatchMessage.clear();
    DecodeSourceAudio(audio);
    if (!g.WaveReady) {
        // The decoding window told its failure in a box nobody sees: that text is the outcome.
        out.failure = g.BatchMessage.empty() ? "Unable to decode " + audio + "." : g.BatchMessage;
        return out;
    }
    out.workingWave = g.WorkWaveFile;

    // The engine takes the last line that names a key, so lines appended at the end win. A
    // project without a MIDI file gets the one the engine would have named after the audio.
    std::string lines = "\nAudioFile=" + g.WorkWaveFile + "\n";
    if (EngineKeyValue(*project, "MidiFile=").empty())
        lines += "MidiFile=" + fs::path(audio).replace_extension(".mid").string() + "\n";
    std::ofstream append(g.TempProject, std::ios::binary | std::ios::app);
    append << lines;
    append.close();
    if (!append) out.failure = "Unable to write the working project " + g.TempProject + ".";
    return out;
}

bool BatchAudioTooShort(const std::string& workingWave) {
    std::string audio = workingWave;
    if (audio.empty()) {
        const std::optional<std::string> project = readText(G().TempProject);
        if (!project) return false;
        audio = EngineKeyValue(*project, "AudioFile=");
    }
    return !audio.empty() && ReadWaveHead(audio).verdict == WaveVerdict::TooShort;
}

}  // namespace velt::desk

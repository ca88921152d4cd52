#include "desk/core/run/batch_project_check.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "desk/core/run/outcome.h"

namespace velt::desk {

namespace {

constexpr float kNoAudioFile = -3.023f;

// Project files are text: a byte below 32 other than tab, line ends, form feed or the old
// end-of-file mark is no part of one.
bool looksLikeText(const std::string& bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 32 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1a;
    });
}

}  // namespace

std::string EngineKeyValue(const std::string& text, const std::string& key) {
    std::string value;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t at = line.find(key);
        if (at != std::string::npos && line.size() > key.size())
            value = line.substr(at + key.size());
        start = end + 1;
    }
    return value;
}

std::optional<std::string> BatchProjectRefusal(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!looksLikeText(bytes)) return "The file '" + path + "' is not a valid Veltrane project.";
    const std::string audio = EngineKeyValue(bytes, "AudioFile=");
    if (audio.empty()) return DescribeOutcome(kNoAudioFile).text;
    // A FIFO, a device or a folder would leave the engine (or the decoder) waiting on its first
    // read for ever. A missing file is the engine's to report.
    std::error_code ec;
    const auto status = std::filesystem::status(audio, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return "The file '" + audio + "' is not a valid audio file.";
    return std::nullopt;
}

}  // namespace velt::desk

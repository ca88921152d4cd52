#include "platform/mci/mci.h"

#include <charconv>
#include <map>
#include <vector>

#include "platform/mci/command_words.h"
#include "platform/mci/scheduling.h"
#include "platform/mci/sequencer.h"
#include "platform/mci/wave_audio.h"

namespace velt::platform::mci {

namespace {

struct Layer {
    Timing* chosen = nullptr;
    std::unique_ptr<ThreadTiming> own;
    std::map<std::string, std::unique_ptr<Device>> aliases;  // by lower-case alias

    // At the end of the process the sound layers below may be gone already: devices still open
    // then (the program should have closed them) are left to the process's end, not closed.
    ~Layer() {
        for (auto& [alias, device] : aliases) static_cast<void>(device.release());
    }
};

Layer& layer() {
    static Layer l;
    return l;
}

bool isKeyword(const std::string& word, const char* keyword) {
    return lowered(word) == keyword;
}

bool number(const std::string& text, int64_t& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && value >= 0;
}

// The text from word `first` to word `last` (inclusive) as the command holds it.
std::string span(const std::string& command, const std::vector<Word>& words, size_t first,
                 size_t last) {
    if (first == last && words[first].quoted) return words[first].text;
    return command.substr(words[first].begin, words[last].end - words[first].begin);
}

int32_t open(const std::string& command, const std::vector<Word>& words) {
    if (words.size() < 2) return kMciBadString;
    // The element runs up to the first keyword (a quoted path is one word).
    size_t at = 1, last = 1;
    if (!words[1].quoted) {
        while (last + 1 < words.size() && !words[last + 1].quoted &&
               !isKeyword(words[last + 1].text, "type") &&
               !isKeyword(words[last + 1].text, "alias")) {
            ++last;
        }
    }
    std::string element = span(command, words, at, last);
    std::optional<DeviceType> type;
    std::string alias;
    for (size_t i = last + 1; i < words.size(); i += 2) {
        if (i + 1 >= words.size()) return kMciBadString;
        const std::string key = lowered(words[i].text), value = lowered(words[i + 1].text);
        if (key == "type") {
            if (value == "waveaudio")
                type = DeviceType::WaveAudio;
            else if (value == "sequencer")
                type = DeviceType::Sequencer;
            else
                return kMciUnknownKeyword;
        } else if (key == "alias") {
            alias = value;
        } else {
            return kMciUnknownKeyword;
        }
    }
    if (element.empty()) return kMciBadString;
    if (!type) {
        std::string ext = lowered(std::filesystem::path(element).extension().string());
        if (ext == ".wav")
            type = DeviceType::WaveAudio;
        else if (ext == ".mid" || ext == ".midi" || ext == ".rmi")
            type = DeviceType::Sequencer;
        else
            return kMciInvalidFile;
    }
    if (alias.empty()) alias = lowered(element);
    if (alias == "all") return kMciUnknownKeyword;
    if (layer().aliases.count(alias) != 0) return kMciAliasInUse;
    std::unique_ptr<Device> device;
    int32_t result = openDevice(*type, element, device);
    if (result != kMciOk) return result;
    layer().aliases.emplace(alias, std::move(device));
    return kMciOk;
}

int32_t set(Device& device, const std::vector<Word>& words) {
    WaveSettings settings;
    for (size_t i = 2; i < words.size();) {
        const std::string key = lowered(words[i].text);
        if (key == "time" || key == "format") {
            // "time format milliseconds|ms", "format tag pcm|1"
            if (i + 2 >= words.size()) return kMciBadString;
            const std::string second = lowered(words[i + 1].text);
            const std::string value = lowered(words[i + 2].text);
            if (key == "time" && second == "format") {
                if (value != "milliseconds" && value != "ms") return kMciUnknownKeyword;
            } else if (key == "format" && second == "tag") {
                if (value == "pcm" || value == "1")
                    settings.formatTag = 1;
                else
                    return kMciFormatNotSupported;
            } else {
                return kMciUnknownKeyword;
            }
            i += 3;
            continue;
        }
        if (i + 1 >= words.size()) return kMciBadString;
        int64_t value = 0;
        if (!number(words[i + 1].text, value) || value > 1000000) return kMciOutOfRange;
        const auto v = static_cast<int32_t>(value);
        if (key == "bitspersample")
            settings.bitsPerSample = v;
        else if (key == "channels")
            settings.channels = v;
        else if (key == "samplespersec")
            settings.samplesPerSec = v;
        else if (key == "alignment")
            settings.alignment = v;
        else if (key == "bytespersec")
            settings.bytesPerSec = v;
        else
            return kMciUnknownKeyword;
        i += 2;
    }
    bool any = settings.bitsPerSample || settings.channels || settings.samplesPerSec ||
               settings.alignment || settings.bytesPerSec || settings.formatTag;
    return any ? device.set(settings) : kMciOk;
}

int32_t play(Device& device, const std::vector<Word>& words) {
    std::optional<int64_t> from, to;
    for (size_t i = 2; i < words.size(); i += 2) {
        const std::string key = lowered(words[i].text);
        if (key != "from" && key != "to") return kMciUnknownKeyword;
        if (i + 1 >= words.size()) return kMciBadString;
        int64_t value = 0;
        if (!number(words[i + 1].text, value)) return kMciOutOfRange;
        (key == "from" ? from : to) = value;
    }
    return device.play(from, to);
}

int32_t status(Device& device, const std::vector<Word>& words, std::string& returned) {
    if (words.size() != 3) return words.size() < 3 ? kMciBadString : kMciUnknownKeyword;
    const std::string item = lowered(words[2].text);
    if (item == "position") {
        returned = std::to_string(device.positionMs());
    } else if (item == "length") {
        returned = std::to_string(device.lengthMs());
    } else if (item == "ready") {
        returned = "true";
    } else if (item == "mode") {
        switch (device.mode()) {
            case Mode::Playing:
                returned = "playing";
                break;
            case Mode::Recording:
                returned = "recording";
                break;
            case Mode::Paused:
                returned = "paused";
                break;
            default:
                returned = "stopped";
        }
    } else {
        return kMciUnknownKeyword;
    }
    return kMciOk;
}

}  // namespace

void useTiming(Timing* timing) {
    std::lock_guard lock(layerLock());
    layer().chosen = timing;
}

Timing& timing() {
    Layer& l = layer();
    if (l.chosen) return *l.chosen;
    if (!l.own) l.own = std::make_unique<ThreadTiming>();
    return *l.own;
}

int32_t openDevice(DeviceType type, const std::string& element, std::unique_ptr<Device>& device) {
    std::lock_guard lock(layerLock());
    device.reset();
    if (type == DeviceType::Sequencer) return openSequence(element, timing(), device);
    if (lowered(element) == "new") return openNewTake(timing(), device);
    return openWaveFile(element, timing(), device);
}

void closeAll() {
    std::lock_guard lock(layerLock());
    layer().aliases.clear();
}

int32_t mciSendString(const std::string& command) {
    std::string ignored;
    return mciSendString(command, ignored);
}

int32_t mciSendString(const std::string& command, std::string& returned) {
    std::lock_guard lock(layerLock());
    returned.clear();
    std::vector<Word> words;
    if (!splitWords(command, words)) return kMciBadString;
    if (words.empty()) return kMciUnknownCommand;
    const std::string verb = lowered(words[0].text);
    if (verb == "open") return open(command, words);
    static const char* const kVerbs[] = {"set",   "record", "play", "pause",  "resume", "stop",
                                         "close", "seek",   "save", "delete", "status"};
    if (std::find(std::begin(kVerbs), std::end(kVerbs), verb) == std::end(kVerbs)) {
        return kMciUnknownCommand;
    }
    if (words.size() < 2) return kMciBadString;
    const std::string alias = lowered(words[1].text);
    if (verb == "close" && alias == "all" && words.size() == 2) {
        layer().aliases.clear();
        return kMciOk;
    }
    auto it = layer().aliases.find(alias);
    if (it == layer().aliases.end()) return kMciAliasNotOpen;
    Device& device = *it->second;
    auto bare = [&](int32_t result) { return words.size() == 2 ? result : kMciUnknownKeyword; };
    if (verb == "set") return set(device, words);
    if (verb == "play") return play(device, words);
    if (verb == "status") return status(device, words, returned);
    if (verb == "save") {
        if (words.size() < 3) return kMciBadString;
        return device.save(span(command, words, 2, words.size() - 1), returned);
    }
    if (verb == "seek") {
        if (words.size() != 4) return words.size() < 4 ? kMciBadString : kMciUnknownKeyword;
        if (!isKeyword(words[2].text, "to")) return kMciUnknownKeyword;
        const std::string where = lowered(words[3].text);
        int64_t ms = 0;
        if (where == "start")
            ms = 0;
        else if (where == "end")
            ms = device.lengthMs();
        else if (!number(where, ms))
            return kMciOutOfRange;
        return device.seek(ms);
    }
    if (words.size() != 2) return kMciUnknownKeyword;
    if (verb == "record") return bare(device.record());
    if (verb == "pause") return device.pause();
    if (verb == "resume") return device.resume();
    if (verb == "stop") return device.stop();
    if (verb == "delete") return device.erase();
    // close
    layer().aliases.erase(it);
    return kMciOk;
}

}  // namespace velt::platform::mci

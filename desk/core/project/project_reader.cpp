#include <cmath>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/project/project_file.h"
#include "desk/core/project/tap_file.h"
#include "desk/core/shared/file_lists.h"
#include "desk/core/shared/ini_scan.h"
#include "desk/core/shared/tempo_range.h"
#include "desk/core/shared/text_pieces.h"
#include "platform/profile/profile.h"

namespace velt::desk {

namespace {

// True when the text starts with a number (blanks and a sign allowed).
bool holdsNumber(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// The section-aware integer keys. A key that is absent, holds no number or lies outside
// [low, high] reads as `fallback`.
class IntKeys {
  public:
    explicit IntKeys(const std::string& path) {
        if (!path.empty()) ini_.load(path);
    }
    int32_t read(const char* section, const std::string& key, int32_t fallback, int32_t low,
                 int32_t high) const {
        auto text = ini_.value(section, key);
        if (!text || !holdsNumber(*text)) return fallback;
        int v = platform::profile::parseLeadingInt(*text);
        return v < low || v > high ? fallback : v;
    }
    // A switch: any number other than 0 is on.
    int32_t flag(const char* section, const std::string& key, int32_t fallback) const {
        auto text = ini_.value(section, key);
        if (!text || !holdsNumber(*text)) return fallback;
        return platform::profile::parseLeadingInt(*text) != 0 ? 1 : 0;
    }
    bool has(const char* section, const std::string& key) const {
        return ini_.value(section, key).has_value();
    }
    std::string text(const char* section, const std::string& key) const {
        return ini_.value(section, key).value_or("");
    }

  private:
    platform::profile::IniText ini_;
};

// A Single read with the plain key scanner; no number, a number out of [low, high] or no such
// key gives `fallback`.
float single(const std::string& path, const char* key, float fallback, double low, double high) {
    std::string text = ReadIniString("", key, "", path);
    if (!holdsNumber(text)) return fallback;
    double v = Val(text);
    if (!std::isfinite(v) || v < low || v > high) return fallback;
    return static_cast<float>(v);
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find('|', start);
        pieces.push_back(text.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return pieces;
}

// The per-part keys, the ensemble and the master file of a format-3 file; a key the file lacks
// keeps its value in memory.
void loadParts(const IntKeys& keys) {
    Global& g = G();
    auto keep = [&](const char* section, const std::string& key, int32_t& value, int32_t low,
                    int32_t high) { value = keys.read(section, key, value, low, high); };
    for (int n = 0; n < PartCount; ++n) {
        const std::string s = n == 0 ? "" : std::to_string(n);
        const std::string k = std::to_string(n);
        const size_t i = static_cast<size_t>(n);
        keep("midi", "Channel" + s, g.PartChannel[i], 0, 16);
        keep("midi", "Patch" + s, g.PartPatch[i], 0, 127);
        keep("other", "Active" + k, g.PartActive[i], 0, 1);
        keep("midi", "Track" + k, g.PartTrack[i], 0, 1);
        keep("pitch", "Poly" + k, g.PartPoly[i], 0, 128);
        keep("pitch", "KeyMin" + k, g.PartKeyMin[i], 0, 127);
        keep("pitch", "KeyMax" + k, g.PartKeyMax[i], 0, 127);
    }
    if (keys.has("midi", "MasterFile")) g.MasterFile = keys.text("midi", "MasterFile");
    if (keys.has("midi", "DrumKit")) g.DrumKit = keys.text("midi", "DrumKit");
    if (keys.has("midi", "KitName")) g.KitName = keys.text("midi", "KitName");
    if (keys.has("midi", "Ensemble")) g.Ensemble = keys.text("midi", "Ensemble");
    g.AutoEnsName = keys.flag("midi", "AutoEnsName", g.AutoEnsName);
}

}  // namespace

std::optional<OpenRefusal> ProjectRefusal(const std::string& path, int& format) {
    format = 0;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return OpenRefusal{"The file '" + path + "' does not exist.", help_topic::OpeningProject};
    if (std::filesystem::is_regular_file(path, ec))
        format = platform::profile::readInt("other", "VprFormat", 0, path);
    if (format <= 0)
        return OpenRefusal{"The file '" + path + "' is not a valid Veltrane project.",
                           help_topic::None};
    if (format >= 4)
        return OpenRefusal{"The project '" + path +
                               "' is not supported by this version of Veltrane.  Please upgrade "
                               "to a newer version.",
                           help_topic::None};
    return std::nullopt;
}

void LoadProject(const std::string& path, int format) {
    Global& g = G();
    const ProjectRecord d;  // the new-project values
    const IntKeys keys(path);
    const bool old = format < 3;
    const char* audio = old ? "wave" : "audio";

    g.ProjectFormat = format;
    g.EntireAudio = keys.flag(audio, old ? "EntireWave" : "EntireAudio", d.EntireAudio);
    g.StartPoint = single(path, "StartPoint", 0, 0, 1e6);
    g.EndPoint = single(path, "EndPoint", 3600, 0, 1e6);
    g.StereoPan = keys.read(audio, "StereoPan", d.StereoPan, 0, 100);
    g.ReferencePitch = single(path, "ReferencePitch", 440, 427, 453);

    g.PitchMode = keys.read("pitch", "PitchMode", d.PitchMode, 0, 128);
    g.KeyMin = keys.read("pitch", "KeyMin", d.KeyMin, 0, 127);
    g.KeyMax = keys.read("pitch", "KeyMax", d.KeyMax, 0, 127);
    g.AutoDetectNote = keys.flag("pitch", "AutoDetectNote", d.AutoDetectNote);
    g.AutoDetectKey = keys.flag("pitch", "AutoDetectKey", d.AutoDetectKey);
    g.KeySignature = keys.read("pitch", "KeySignature", d.KeySignature, -7, 8);
    g.MajorMinor = keys.flag("pitch", "MajorMinor", d.MajorMinor);
    g.Transpose = keys.read("pitch", "Transpose", d.Transpose, -127, 127);
    g.Constrain = keys.flag("pitch", "Constrain", d.Constrain);
    g.PitchBend = keys.flag("pitch", "PitchBend", d.PitchBend);

    g.TempoDetect = keys.flag("timing", "TempoDetect", format == 1 ? 0 : d.TempoDetect);
    g.TempoTrack = keys.flag("timing", "TempoTrack", d.TempoTrack);
    g.Tempo = single(path, "Tempo", 120, 1, kFastestTempo);  // a stored tempo below 5 is kept
    g.Speed = keys.read("timing", "Speed", d.Speed, 1, 999);
    g.Resolution = single(path, "Resolution", -1, -1, 8);
    g.TimeSignatureNumerator =
        keys.read("timing", "TimeSignatureNumerator", d.TimeSignatureNumerator, 0, 99);
    g.TimeSignatureDenominator =
        keys.read("timing", "TimeSignatureDenominator", d.TimeSignatureDenominator, 0, 6);
    g.ChordRes = keys.read("timing", "ChordRes", d.ChordRes, 0, 9999);
    if (g.ChordRes > 24) {
        // The largest multiple of the beats per measure not above 24; with the measure on
        // automatic, 24 itself.
        int32_t beats = g.TimeSignatureNumerator;
        g.ChordRes = beats > 0 ? (24 / beats) * beats : 24;
    }
    g.AutoTiming = keys.flag("timing", "AutoTiming", d.AutoTiming);

    g.InputThreshold = keys.read("dynamics", "InputThreshold", d.InputThreshold, 0, 32767);
    g.OutputThreshold = keys.read("dynamics", "OutputThreshold", d.OutputThreshold, 0, 127);
    g.VelocityOn = keys.flag("dynamics", "VelocityOn", d.VelocityOn);
    g.VelocityOff = keys.flag("dynamics", "VelocityOff", d.VelocityOff);
    g.Controller = keys.read("dynamics", "Controller", d.Controller, 0, 127);
    g.Gain = keys.read("dynamics", "Gain", d.Gain, 1, 999);
    if (g.Gain == 268) g.Gain = 100;
    g.Compress = keys.flag("dynamics", "Compress", d.Compress);
    g.BeatDetect = 0;

    // Audio list, then a MIDI file for each audio file.
    std::vector<std::string> audioPieces =
        path.empty() ? std::vector<std::string>{}
                     : splitList(ReadIniString("", old ? "WaveFile" : "AudioFile", "", path));
    g.AudioFileCount = static_cast<int32_t>(audioPieces.size());
    g.AudioFiles.redim(g.AudioFileCount);
    g.MidiFiles.redim(g.AudioFileCount);
    for (int32_t i = 1; i <= g.AudioFileCount; ++i)
        g.AudioFiles(i) = CheckSamplesPath(audioPieces[static_cast<size_t>(i - 1)]);
    std::vector<std::string> midiPieces = path.empty()
                                              ? std::vector<std::string>{}
                                              : splitList(ReadIniString("", "MidiFile", "", path));
    for (int32_t i = 1; i <= g.AudioFileCount; ++i) {
        size_t k = static_cast<size_t>(i - 1);
        if (k < midiPieces.size() && !midiPieces[k].empty())
            g.MidiFiles(i) = CheckSamplesPath(midiPieces[k]);
        else
            g.MidiFiles(i) = MidiFileBeside(g.AudioFiles(i));
    }

    if (!path.empty() && !old) loadParts(keys);
    g.Filter = old ? 0 : keys.read("midi", "Filter", d.Filter, -1, 32767);
    if (g.PartChannel[PercussionPart] != PercussionChannel) g.PartActive[PercussionPart] = 0;
    g.MidiChan = keys.read("midi", old ? "Channel" : "MidiChan", d.MidiChan, 1, 16);
    g.MidiPat = keys.read("midi", old ? "Patch" : "MidiPat", d.MidiPat, 0, 127);
    g.Brightness = keys.read("midi", "Brightness", d.Brightness, 0, 127);

    // Taps: the tap file beside the project.
    g.TempoFile = g.ProjectFile.empty() ? "" : TapFileFor(g.ProjectFile);
    g.TempoTaps.clear();
    if (!g.ProjectFile.empty()) {
        TapRead taps = ReadTapFile(g.TempoFile);
        if (taps.found) {
            g.TempoTaps = taps.taps;
            g.AudioLength = static_cast<float>(taps.seconds + g.StartPoint);
        }
    }
}

}  // namespace velt::desk

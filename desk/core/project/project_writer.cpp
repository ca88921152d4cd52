#include <filesystem>
#include <string>

#include "desk/core/global.h"
#include "desk/core/project/project_file.h"
#include "desk/core/project/tap_file.h"
#include "desk/core/shared/text_pieces.h"
#include "platform/profile/profile.h"

namespace velt::desk {

namespace {

// Collects the keys in write order; sections appear in the order of their first key.
class KeyWriter {
  public:
    void text(const char* section, const std::string& key, const std::string& value) {
        if (value.find_first_of("\r\n") != std::string::npos) broken_ = true;
        ini_.setValue(section, key, value);
    }
    void number(const char* section, const std::string& key, int32_t value) {
        text(section, key, std::to_string(value));
    }
    void single(const char* section, const std::string& key, float value) {
        text(section, key, FormatSingle(value));
    }
    std::optional<std::string> result() const {
        if (broken_) return std::nullopt;
        return ini_.text();
    }

  private:
    platform::profile::IniText ini_;
    bool broken_ = false;
};

std::string joined(const TextList& list, int32_t count) {
    std::string out;
    for (int32_t i = 1; i <= count; ++i) {
        if (i > 1) out += '|';
        out += list(i);
    }
    return out;
}

}  // namespace

std::optional<std::string> ProjectFileText(bool working) {
    const Global& g = G();
    KeyWriter w;
    w.text("audio", "AudioFile", working ? g.WorkWaveFile : joined(g.AudioFiles, g.AudioFileCount));
    w.number("audio", "EntireAudio", g.EntireAudio);
    w.single("audio", "StartPoint", g.StartPoint);
    w.single("audio", "EndPoint", g.EndPoint);
    w.number("audio", "StereoPan", g.StereoPan);
    w.single("audio", "ReferencePitch", g.ReferencePitch);
    if (working) w.number("audio", "AudioDevice", g.AudioDevice);

    w.number("pitch", "PitchMode", g.PitchMode);
    w.number("pitch", "KeyMin", g.KeyMin);
    w.number("pitch", "KeyMax", g.KeyMax);
    w.number("pitch", "AutoDetectNote", g.AutoDetectNote);
    w.number("pitch", "AutoDetectKey", g.AutoDetectKey);
    w.number("pitch", "KeySignature", g.KeySignature);
    w.number("pitch", "MajorMinor", g.MajorMinor);
    w.number("pitch", "Transpose", g.Transpose);
    w.number("pitch", "Constrain", g.Constrain);
    w.number("pitch", "PitchBend", g.PitchBend);

    w.number("timing", "TempoDetect", g.TempoDetect);
    w.number("timing", "TempoTrack", g.TempoTrack);
    w.text("timing", "TempoFile", g.TempoFile);
    w.single("timing", "Tempo", g.Tempo);
    w.number("timing", "Speed", g.Speed);
    w.single("timing", "Resolution", g.Resolution);
    w.number("timing", "ChordRes", g.ChordRes);
    w.number("timing", "TimeSignatureNumerator", g.TimeSignatureNumerator);
    w.number("timing", "TimeSignatureDenominator", g.TimeSignatureDenominator);
    w.number("timing", "AutoTiming", g.AutoTiming);

    w.number("dynamics", "InputThreshold", g.InputThreshold);
    w.number("dynamics", "OutputThreshold", g.OutputThreshold);
    w.number("dynamics", "VelocityOn", g.VelocityOn);
    w.number("dynamics", "VelocityOff", g.VelocityOff);
    w.number("dynamics", "Controller", g.Controller);
    w.number("dynamics", "Gain", g.Gain);
    w.number("dynamics", "Compress", g.Compress);

    w.text("midi", "MidiFile", working ? g.WorkMidiFile : joined(g.MidiFiles, g.AudioFileCount));
    w.number("midi", "Filter", g.Filter);
    if (working) w.number("midi", "MidiDevice", g.MidiDevice);
    w.number("midi", "MidiChan", g.MidiChan);
    w.number("midi", "MidiPat", g.MidiPat);
    w.number("midi", "Brightness", g.Brightness);

    w.text("other", "VprFormat", "3");
    w.text("other", "ExePath", g.InstallFolder);

    w.text("midi", "MasterFile", g.MasterFile);
    w.text("midi", "DrumKit", g.DrumKit);
    w.text("midi", "KitName", g.KitName);
    w.text("midi", "Ensemble", g.Ensemble);
    w.number("midi", "AutoEnsName", g.AutoEnsName);
    w.number("midi", "Channel", g.PartChannel[0]);
    w.number("midi", "Patch", g.PartPatch[0]);

    for (int n = 0; n < PartCount; ++n) {
        const std::string s = std::to_string(n);
        const size_t i = static_cast<size_t>(n);
        if (n != 0) {
            w.number("midi", "Channel" + s, g.PartChannel[i]);
            w.number("midi", "Patch" + s, g.PartPatch[i]);
        }
        w.number("other", "Active" + s, g.PartActive[i]);
        w.number("midi", "Track" + s, g.PartTrack[i]);
        w.number("pitch", "Poly" + s, g.PartPoly[i]);
        w.number("pitch", "KeyMin" + s, g.PartKeyMin[i]);
        w.number("pitch", "KeyMax" + s, g.PartKeyMax[i]);
    }
    return w.result();
}

bool WriteProjectFiles(bool working, std::string& problem) {
    Global& g = G();
    if (g.ProjectFile.empty()) {
        problem = "the project has no file name";
        return false;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(g.ProjectFile, ec)) {
        problem = "'" + g.ProjectFile + "' is a folder";
        return false;
    }
    g.TempoFile = TapFileFor(g.ProjectFile);
    auto text = ProjectFileText(working);
    if (!text) {
        problem = "a file name or text holds a line break";
        return false;
    }
    // Both files are written beside their targets first; only then do they replace the old ones,
    // so a failure leaves the old project and its taps as they were.
    PendingFile project;
    if (!project.write(g.ProjectFile, *text, problem)) return false;
    if (!g.TempoTaps.empty()) {
        PendingFile taps;
        if (!taps.write(g.TempoFile, g.TempoTaps, problem) || !taps.commit(problem)) return false;
    } else {
        std::filesystem::remove(g.TempoFile, ec);  // a failure here is of no consequence
    }
    return project.commit(problem);
}

}  // namespace velt::desk

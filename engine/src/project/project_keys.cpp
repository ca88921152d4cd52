#include "project/project_keys.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace velt::engine {

namespace {

int switchValue(int value) {
    return value != 0 ? 1 : 0;
}

void readKeys(const ProjectText& text, ProjectSettings& s) {
    text.readString("ExePath=", 10, s.ExePath);
    text.readString("AudioFile=", 11, s.AudioFile);
    text.readString("MidiFile=", 10, s.MidiFile);
    text.readString("TempoFile=", 10, s.TempoFile);
    text.readDouble("StartPoint=", s.StartPoint);
    text.readDouble("EndPoint=", s.EndPoint);
    text.readDouble("ReferencePitch=", s.ReferencePitch);
    text.readDouble("Resolution=", s.Resolution);
    text.readDouble("Tempo=", s.Tempo);
    const std::pair<const char*, int*> ints[] = {
        {"Tracks=", &s.Tracks},
        {"Rate=", &s.Rate},
        {"BitsPerSample=", &s.BitsPerSample},
        {"EntireAudio=", &s.EntireAudio},
        {"CropSilence=", &s.CropSilence},
        {"VirtualSR=", &s.VirtualSR},
        {"Compress=", &s.Compress},
        {"StereoPan=", &s.StereoPan},
        {"KeyMin=", &s.KeyMin},
        {"KeyMax=", &s.KeyMax},
        {"InputThreshold=", &s.InputThreshold},
        {"OutputThreshold=", &s.OutputThreshold},
        {"MinimumLength=", &s.MinimumLength},
        {"PauseBetweenNotes=", &s.PauseBetweenNotes},
        {"PitchMode=", &s.PitchMode},
        {"Constrain=", &s.Constrain},
        {"Channel=", &s.Channel},
        {"Filter=", &s.Filter},
        {"Patch=", &s.Patch},
        {"MidiChan=", &s.MidiChan},
        {"MidiPat=", &s.MidiPat},
        {"TimeSignatureNumerator=", &s.TimeSignatureNumerator},
        {"TimeSignatureDenominator=", &s.TimeSignatureDenominator},
        {"TempoDetect=", &s.TempoDetect},
        {"AutoTiming=", &s.AutoTiming},
        {"Speed=", &s.Speed},
        {"Transpose=", &s.Transpose},
        {"KeySignature=", &s.KeySignature},
        {"MajorMinor=", &s.MajorMinor},
        {"AutoDetectKey=", &s.AutoDetectKey},
        {"Gain=", &s.Gain},
        {"VelocityOn=", &s.VelocityOn},
        {"VelocityOff=", &s.VelocityOff},
        {"Controller=", &s.Controller},
        {"Brightness=", &s.Brightness},
        {"PitchBend=", &s.PitchBend},
        {"TempoTrack=", &s.TempoTrack},
        {"ChordRes=", &s.ChordRes},
        {"BufferIncrement=", &s.BufferIncrement},
        {"AudioDevice=", &s.AudioDevice},
        {"MidiDevice=", &s.MidiDevice},
        {"Sensitivity=", &s.Sensitivity},
    };
    for (const auto& [key, target] : ints) text.readInt(key, *target);
}

// The MIDI file beside the audio when the project names none: the audio's extension becomes .mid.
std::string defaultMidiPath(const std::string& audio) {
    return std::filesystem::path(audio).replace_extension(".mid").string();
}

}  // namespace

int PartPolyphony(int pitchMode) {
    return pitchMode < 2 ? 1 : pitchMode;
}

ProjectReading ReadProjectKeys(const ProjectText& text) {
    ProjectReading reading;
    ProjectSettings& s = reading.settings;
    readKeys(text, s);

    // Part 0 and the drum channel.
    bool activeGiven = false;
    int active = 0;
    if (text.readInt("Active0=", active)) {
        activeGiven = true;
        if (active >= 0) s.Active0 = switchValue(active);
    }
    reading.reservedBytes = (activeGiven && active != 0) ? 7 : 0;
    bool singleKey = false;
    if (s.Active0 == 1 && s.Channel == 10) {
        s.Active0 = 0;
        reading.reservedBytes = 0;
        singleKey = true;
    } else if (s.Channel == 0) {
        reading.reservedBytes = 0;
    }
    if (s.Channel != 10) {
        text.readInt("KeyMax0=", s.KeyMax0);
        text.readInt("KeyMin0=", s.KeyMin0);
    }
    text.readInt("Track0=", s.Track0);
    text.readInt("Poly0=", s.Poly0);
    if (s.PitchMode < 0 || s.PitchMode > 128) s.PitchMode = 128;

    // Single-key mode: a drum run, or part 0 on the drum channel.
    if (s.PitchMode == 0 || singleKey) {
        reading.singleKeyMode = true;
        s.KeySignature = 8;
        s.AutoDetectKey = 0;
        s.Controller = 0;
        s.Brightness = 0;
        s.Transpose = 0;
        s.Constrain = 0;
        s.MajorMinor = 0;
        s.PitchBend = 0;
        s.PitchMode = 0;
        s.Filter = -1;
        s.OutputThreshold = 1;
        s.KeyMin = s.MidiPat;
        s.KeyMax = s.MidiPat;
        s.Active0 = 1;
        s.Channel = 10;
        s.Patch = 0;
        reading.reservedBytes = 7;
    }
    if (s.Channel == kKeyNotGiven) s.Channel = reading.singleKeyMode ? 10 : 1;
    if (s.MidiChan != kKeyNotGiven) s.Channel = s.MidiChan;
    if (s.MidiPat != kKeyNotGiven && !reading.singleKeyMode) s.Patch = s.MidiPat;
    s.Track0 = 0;
    s.Poly0 = PartPolyphony(s.PitchMode);
    reading.partActive = s.Active0 == 1;

    // The output.
    reading.liveRun = s.AudioFile.empty();
    reading.midiPath =
        s.MidiFile.empty() && !reading.liveRun ? defaultMidiPath(s.AudioFile) : s.MidiFile;
    int pitchMode = 0;
    reading.pitchModeGiven = text.readInt("PitchMode=", pitchMode);
    return reading;
}

void ApplyInputDefaults(ProjectSettings& s, bool liveRun) {
    if (s.Compress == kKeyNotGiven) s.Compress = 1;
    if (liveRun && s.Sensitivity == kKeyNotGiven) s.Sensitivity = 0;
}

void ResolvePartOutput(ProjectSettings& s, Geometry& g) {
    if (s.Channel < 0 || s.Channel > 16) s.Channel = 1;
    g.partChannel = s.Channel - 1;
    if (g.partChannel < 0) g.reservedBytes = 0;  // no channel: no program or pan to write
    if (s.Patch < 0 || s.Patch > 127) s.Patch = (s.Filter >= 0 && s.Filter <= 127) ? s.Filter : 0;
    g.partProgram = s.Patch;
    if (s.MidiDevice < -1) s.MidiDevice = -1;
}

void ClampSettings(ProjectSettings& s, const Geometry& g) {
    if (s.Transpose < -127 || s.Transpose > 127) s.Transpose = 0;
    for (int* flag : {&s.EntireAudio, &s.CropSilence, &s.PauseBetweenNotes, &s.Constrain,
                      &s.TempoDetect, &s.AutoTiming, &s.MajorMinor, &s.AutoDetectKey, &s.VelocityOn,
                      &s.VelocityOff, &s.PitchBend, &s.TempoTrack}) {
        *flag = switchValue(*flag);
    }
    if (s.Compress != 1 || s.Filter == 0) s.Compress = 0;
    if (s.Controller < 0 || s.Controller > 127) s.Controller = 11;
    if (s.Brightness < 0 || s.Brightness > 127) s.Brightness = 74;
    if (s.PitchMode != 1) s.Brightness = 0;
    s.StereoPan = std::clamp(s.StereoPan, 0, 100);
    if (s.InputThreshold < 0 || s.InputThreshold > 32767) s.InputThreshold = 0;
    if (s.TimeSignatureNumerator < 0 || s.TimeSignatureNumerator > 99) s.TimeSignatureNumerator = 0;
    if (s.ChordRes < 0 || s.ChordRes > 24) s.ChordRes = 0;
    if (s.TimeSignatureDenominator < 0 || s.TimeSignatureDenominator > 6) {
        s.TimeSignatureDenominator = 2;
    }
    if (s.Sensitivity != kKeyNotGiven && (s.Sensitivity < 0 || s.Sensitivity > 7)) {
        s.Sensitivity = 1;
    }
    if (s.KeySignature < -7 || s.KeySignature > 8) {
        s.KeySignature = 0;
        s.Constrain = 0;
    }
    if (s.Speed <= 0) s.Speed = 100;
    if (s.Speed > 999) s.Speed = 999;
    if (s.Gain <= 0) s.Gain = 100;
    if (s.Gain > 999) s.Gain = 999;
    if (g.filterInUse && s.OutputThreshold == kKeyNotGiven)
        s.OutputThreshold = g.singleKeyMode ? 10 : 5;
    if (s.OutputThreshold == kKeyNotGiven || s.OutputThreshold < 1) s.OutputThreshold = 5;
    if (s.OutputThreshold > 63) s.OutputThreshold = 63;
    if (g.liveRun) {
        s.AutoTiming = 0;
        if (s.MinimumLength < 1) {
            if (g.singleKeyMode) {
                s.MinimumLength = 1;
            } else if (s.PitchMode == 1) {
                s.MinimumLength = 6;
                s.Controller = 0;
            } else {
                s.MinimumLength = 2;
            }
        }
    } else if (s.MinimumLength < 1) {
        s.MinimumLength = g.singleKeyMode ? 1 : 2;
    }
    // A tempo of 0, below 0 or not a number is not given: it is detected.
    if (!std::isfinite(s.Tempo) || s.Tempo <= 0) s.Tempo = 0;
    // No music is this fast; the bound keeps the tempo a number every reader of the status line
    // can hold (a float), and the timing check still refuses it.
    constexpr double kHighestTempo = 1e9;
    s.Tempo = std::min(s.Tempo, kHighestTempo);
    if (s.Tempo == 0) s.TempoDetect = 1;
    // A resolution that is no finite number is automatic. Beyond the finest (a 128th note) a
    // resolution means what the finest does, and every value below 0 is automatic: the bounds
    // keep it a small number for every conversion to an integer, and -1, automatic as the
    // desktop writes it, stays apart from the other negative values.
    if (!std::isfinite(s.Resolution)) s.Resolution = -1;
    s.Resolution = std::clamp(s.Resolution, -kFinestResolution, kFinestResolution);
    if (!std::isfinite(s.ReferencePitch)) s.ReferencePitch = 440;
    s.ReferencePitch = std::clamp(s.ReferencePitch, 427.5, 452.8);
    s.BufferIncrement = 1;
}

}  // namespace velt::engine

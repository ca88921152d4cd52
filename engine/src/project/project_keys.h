// Reading the project's keys into the settings and settling them: defaults, the single-key mode,
// part 0's channel and program, and the clamps every key gets before the geometry is derived.
// Pure: these read no file and open no device; the settings (and the geometry's part fields) are
// updated in place, in the order set-up calls them.
#pragma once

#include <string>

#include "project/geometry.h"
#include "project/project_settings.h"
#include "project/project_text.h"

namespace velt::engine {

// What the project text decides before any file or device is opened.
struct ProjectReading {
    ProjectSettings settings;
    bool liveRun = false;         // no AudioFile: live input, live MIDI output
    bool singleKeyMode = false;   // a drum run (PitchMode 0), or part 0 on the drum channel
    bool partActive = true;       // part 0 sends its start controllers
    int reservedBytes = 0;        // 7: part 0's program change and pan go into the MIDI header
    bool pitchModeGiven = false;  // a PitchMode line exists (else a filter may give the polyphony)
    std::string midiPath;         // the output: MidiFile, or the audio's path with ".mid"
};

// Every key with its default, part 0 and the drum channel, the single-key mode.
ProjectReading ReadProjectKeys(const ProjectText& text);

// Part 0's polyphony from the pitch mode: 1 for single-line and drum runs.
int PartPolyphony(int pitchMode);

// Keys whose default depends on the input: compression is on unless the project turns it off,
// and a live run starts at sensitivity 0.
void ApplyInputDefaults(ProjectSettings& s, bool liveRun);

// Part 0's MIDI channel (0-based, -1 = none) and program into g; Channel, Patch and MidiDevice
// held to what exists.
void ResolvePartOutput(ProjectSettings& s, Geometry& g);

// The clamps of every key that does not depend on the key range (g gives the kind of run).
void ClampSettings(ProjectSettings& s, const Geometry& g);

}  // namespace velt::engine

// The project file (.vpr): INI text in the sections audio, pitch, timing, dynamics, midi and
// other, format 3, read back in formats 1 to 3; the engine reads the working copy line by line.
//
// Saving writes the whole file to a temporary file in the project's folder and renames it over
// the old one, so a failed save leaves the old project (and its tap file) as it was.
// Reading never trusts a value: a number that is missing, unreadable or out of its range reads as
// the new-project value.
#pragma once

#include <optional>
#include <string>

#include "desk/core/help_topics.h"

namespace velt::desk {

// The text of the project file for the shared state: a saved project (the audio and MIDI lists)
// or the working project handed to the engine (WorkWaveFile, WorkMidiFile and the device keys).
// Nothing when a value holds a line break, which would split its line.
std::optional<std::string> ProjectFileText(bool working);

// Writes the project ProjectFile (and its tap file, which it names in TempoFile). False with the
// reason in `problem` when anything could not be written; the files on disk are then unchanged.
bool WriteProjectFiles(bool working, std::string& problem);

// SaveProfile: writes the open project, or with `saveToTemp` the working project TempProject
// (the main window's SaveToTemp flag). A failure shows "Error saving project: " and the reason
// (title "Save Project") and gives false. A saved (not working) project clears ProjectChanged
// and disables the Save commands.
bool SaveProfile(bool saveToTemp = false);

// Why a file can't be opened as a project, or nothing when it can. `format` gets its VprFormat.
struct OpenRefusal {
    std::string text;
    long helpTopic = help_topic::None;
};
std::optional<OpenRefusal> ProjectRefusal(const std::string& path, int& format);

// Reads the keys of a project (path "" = a new project with every default) into the shared
// state; no messages, no main-window updates.
void LoadProject(const std::string& path, int format);

// OpenProfile: refuses a missing, invalid or too new file with its message (title
// "Open Project") and changes nothing then (false); otherwise reads the project, names it in the
// main window and the recent list, and refreshes the commands that depend on it.
bool OpenProfile(const std::string& path);

// The commands that depend on the opened audio: CheckEditFiles empties the taps when entry
// `index` is missing and enables the player when it is named; CheckRecognize enables Recognize
// exactly when AudioFileValid is set.
void CheckEditFiles(int index);
void CheckRecognize();

// CheckChanges: with unsaved changes asks whether to save them (Yes runs the Save command);
// `cancel` is true when the user chose Cancel.
void CheckChanges(bool& cancel);

}  // namespace velt::desk

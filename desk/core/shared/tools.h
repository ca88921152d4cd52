// Help, outside editors, the web browser, the sound settings and the default tool paths.
// Every outside program is started, never waited for; failures are reported with the messages
// below and change nothing else.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace velt::platform {
class Help;
}

namespace velt::desk {

// The program's help: the pages of installFolder + "help/" in its own help window, which offers
// the page to a web browser through the desktop's shell.
std::unique_ptr<platform::Help> MakeProgramHelp(const std::string& installFolder);

// Opens the help at a topic (a page that isn't there is named in a box).
void ShowHelpTopic(long topic);

// Start MidiEditor on MidiFileToEdit / AudioEditor on AudioFileToEdit (or alone when empty).
// The argument lists: the editor's path, then the file as one argument, never re-split.
std::vector<std::string> MidiEditorArguments();
std::vector<std::string> AudioEditorArguments();
void OpenMidiInEditor();
void OpenAudioInEditor();

// Opens a web address in the user's browser.
void OpenUrl(const std::string& address);

// Starts the system's sound settings program; failures are ignored.
void OpenSoundControlPanel();
// Starts the recording mixer (Mixer).
void OpenRecordingMixer();

// Gives each of AudioEditor, MidiEditor, CDPlayer and Mixer that is empty or names no existing
// file an installed program: the first of its candidates found on PATH, else the last resort
// (xdg-open, which opens a file in the desktop's default program; pavucontrol for the mixer).
void SetDefaultToolPaths();

// The full path of an installed MIDI editor found on PATH (Rosegarden, MuseScore), or "".
std::string FindMidiEditor();

// True for an existing file that may be run.
bool IsProgram(const std::string& path);

}  // namespace velt::desk

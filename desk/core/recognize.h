// The conversion road as the main window and the start-up reach it.
//
// RunRecognize is the main window's Convert command (menu item mnuRecognize, toolbar key
// "Recognize"): it asks before replacing MIDI files, has compressed audio decoded, writes the
// working project for each audio file and runs one progress window per file (or the live window
// for a project without audio), merges what several runs detected, and after a single-file run
// offers the results window and carries out the follow-up chosen there.
//
// RunBatchConversion is the command-line conversion ("/prf="), run by the start-up once the named
// project has been copied over the working project TempProject: it converts TempProject under a
// minimized progress window, which appends one line to the log LogFile.
#pragma once

#include <string>

namespace velt::desk {

void RunRecognize();

// The program's exit status: 0 after a successful conversion, 1 after any failure, a log that
// could not be written included.
int RunBatchConversion();

// Appends one line to the batch log LogFile: the date and time, ProjectFile and `outcome`,
// separated by two blanks. A log that can't be written gets the line on standard error instead
// and sets BatchLogLost, which makes the run a failure.
void AppendBatchLog(const std::string& outcome);

// Closes the results window when it is open (the Edit Project command's "Convert now?").
void CloseResultsWindow();

}  // namespace velt::desk

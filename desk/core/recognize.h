// The conversion road as the main window and the start-up reach it. The main window's Convert
// command (menu item mnuRecognize, toolbar key "Recognize") runs RunRecognize; a command-line
// conversion (/prf=) runs RunBatchConversion once the named project has been copied over the
// working project TempProject.
#pragma once

#include <string>

namespace velt::desk {

// The Convert command: checks the files, decodes compressed audio, writes the working project
// and runs the progress window per audio file (or the live window), then the results window.
void RunRecognize();

// A command-line conversion of TempProject under the progress window in batch mode (no user);
// the outcome goes to LogFile as one line. Returns the program's exit status: 0 after a
// successful conversion, 1 after any failure.
int RunBatchConversion();

// Appends one line to the batch log LogFile: the date and time, ProjectFile and `outcome`,
// separated by two blanks. A log that can't be written loses the line and nothing else.
void AppendBatchLog(const std::string& outcome);

// Closes the results window when it is open (the Edit Project command's "Convert now?").
void CloseResultsWindow();

}  // namespace velt::desk

// Windows of other parts of the program that the conversion windows open through the main
// window's hooks.
#pragma once

namespace velt::desk {

// Shows the live control window modally and forgets it afterwards (a project without audio).
void ShowLiveWindow();

// The results window's Setup: the options dialog, loaded hidden, runs its MIDI editor browse and
// then its OK, so a chosen editor is stored at once; then it is unloaded.
void ChooseMidiEditor();

}  // namespace velt::desk

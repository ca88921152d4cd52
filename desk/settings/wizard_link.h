// What the settings dialog asks of the New Project Wizard while WizardRunning is set: it mirrors
// its file lists into the wizard's two combo boxes, reads the wizard's instrument choice for a
// test tone and hands the end of playback to the wizard's tapping step. This default link has no
// wizard behind it and does nothing; the wizard installs its own link on the dialog it drives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velt::desk {

class WizardLink {
  public:
    virtual ~WizardLink() = default;

    // Replaces the rows of the wizard's audio and MIDI combos and selects the given rows.
    virtual void copyFileLists(const std::vector<std::string>& audioRows,
                               const std::vector<std::string>& midiRows, int audioRow,
                               int midiRow) {
        (void)audioRows, (void)midiRows, (void)audioRow, (void)midiRow;
    }
    // Selects rows of the wizard's audio and MIDI combos (the file already had an entry).
    virtual void selectFileRows(int audioRow, int midiRow) { (void)audioRow, (void)midiRow; }
    // The text of the selected row of the wizard's instrument list ("" without a wizard).
    virtual std::string instrumentRow() { return ""; }
    // The wizard's Stop for its tapping step (end of playback).
    virtual void stopPlayback() {}
};

}  // namespace velt::desk

// What the New Project Wizard (desk/wizard) offers the windows it drives while WizardRunning is
// set: the settings dialog mirrors its file lists into the wizard's audio and MIDI pages, reads
// the instrument row for a test tone and hands the end of the tapping playback to the wizard;
// the recorder mirrors its counter, light, Save button and level meter into the record page and
// hands over the end of a playback; the CD window mirrors drives, tracks, position, progress and
// status into the CD page. The wizard folder registers its pages in the shared module's window
// hooks at start. The defaults here have no wizard behind them and do nothing; the accessors at
// the end give them while no page is registered.
#pragma once

#include <string>
#include <vector>

#include "desk/ui/picture.h"

namespace velt::desk {

// The audio, MIDI, instrument and tapping pages as the settings dialog sees them.
class WizardFilePages {
  public:
    virtual ~WizardFilePages() = default;

    // Replaces the rows of the wizard's audio and MIDI combos and selects the given rows.
    virtual void copyFileLists(const std::vector<std::string>& audioRows,
                               const std::vector<std::string>& midiRows, int audioRow,
                               int midiRow) {
        (void)audioRows, (void)midiRows, (void)audioRow, (void)midiRow;
    }
    // Selects rows of the wizard's audio and MIDI combos (the file already had an entry).
    virtual void selectFileRows(int audioRow, int midiRow) { (void)audioRow, (void)midiRow; }
    // The wizard's Stop for its tapping step (end of playback).
    virtual void stopPlayback() {}
};

// The record page as the recorder sees it.
class WizardRecordPage {
  public:
    virtual ~WizardRecordPage() = default;
    virtual void counter(const std::string& caption, long colour) { (void)caption, (void)colour; }
    virtual void saveEnabled(bool enabled) { (void)enabled; }
    virtual void light(const ui::Picture& picture) { (void)picture; }
    virtual void levelBar(long colour, double top, double height) {
        (void)colour, (void)top, (void)height;
    }
    virtual void thresholdMark(double y1, double y2, bool line50Visible) {
        (void)y1, (void)y2, (void)line50Visible;
    }
    // The wizard's Stop, which ends a playback that has reached the end of the take.
    virtual void stopPlayback() {}
};

// The CD page's state copied at the end of every status tick.
struct CdPageMirror {
    std::string position;  // the position label; the play progress bar shows when not empty
    bool ripEnabled = false;
    std::string ripCaption;
    std::string status;
    bool transferVisible = false;
    int transferPercent = 0;
    std::string fileName;
    bool playEnabled = false, stopEnabled = false, prevEnabled = false, nextEnabled = false;
};

// The CD page as the CD window sees it.
class WizardCdPage {
  public:
    virtual ~WizardCdPage() = default;
    virtual void setFileName(const std::string& text) { (void)text; }
    virtual void setStatus(const std::string& text) { (void)text; }
    virtual void clearDrives() {}
    virtual void addDrive(const std::string& name) { (void)name; }
    virtual void selectDrive(int index) { (void)index; }
    // Replaces the rows of the page's track list and copies its Enabled.
    virtual void copyTrackList(const std::vector<std::string>& rows, bool enabled) {
        (void)rows, (void)enabled;
    }
    virtual void selectTrack(int index) { (void)index; }  // -1 clears the selection
    virtual void setButtonBarEnabled(bool enabled) { (void)enabled; }
    virtual void clearPosition() {}  // position label emptied, play progress bar hidden
    virtual void hidePlayProgress() {}
    virtual void setPlayProgress(int percent) { (void)percent; }
    virtual void mirror(const CdPageMirror& state) { (void)state; }
};

// The registered pages. The recorder and the CD window mirror only when the wizard drives them
// (`driven`): a recorder or CD window opened from the settings dialog gets the default pages.
WizardFilePages& WizardFiles();
WizardRecordPage& WizardRecordPageFor(bool driven);
WizardCdPage& WizardCdPageFor(bool driven);

}  // namespace velt::desk

// The settings dialog's view of the wizard while WizardRunning is set: its file lists mirrored
// into the wizard's audio and MIDI pages, the wizard's instrument row for test tones, and the end
// of the tapping playback handed to the wizard's Stop. It reaches the wizard through the form
// registry each time, so a closed wizard is simply absent.
#pragma once

#include "desk/media/cd_wizard_link.h"
#include "desk/media/recorder_links.h"
#include "desk/settings/wizard_link.h"

namespace velt::desk {

class WizardMirror : public WizardLink {
  public:
    void copyFileLists(const std::vector<std::string>& audioRows,
                       const std::vector<std::string>& midiRows, int audioRow,
                       int midiRow) override;
    void selectFileRows(int audioRow, int midiRow) override;
    std::string instrumentRow() override;
    void stopPlayback() override;
};

// The recorder's view of the wizard: its counter, metronome light, Save button and level meter
// mirrored into the record page, and the end of a playback handed to the page's Stop.
class WizardRecorderMirror : public RecorderWizardMirror {
  public:
    void counter(const std::string& caption, long colour) override;
    void saveEnabled(bool enabled) override;
    void light(const ui::Picture& picture) override;
    void levelBar(long colour, double top, double height) override;
    void thresholdMark(double y1, double y2, bool line50Visible) override;
    void stopPlayback() override;
};

// The CD window's view of the wizard: drives, tracks, position, progress and status mirrored into
// the CD page.
class WizardCdMirror : public CdWizardLink {
  public:
    void setFileName(const std::string& text) override;
    void setStatus(const std::string& text) override;
    void clearDrives() override;
    void addDrive(const std::string& name) override;
    void selectDrive(int index) override;
    void copyTrackList(const std::vector<std::string>& rows, bool enabled) override;
    void selectTrack(int index) override;
    void setButtonBarEnabled(bool enabled) override;
    void clearPosition() override;
    void hidePlayProgress() override;
    void setPlayProgress(int percent) override;
    void mirror(const CdPageMirror& state) override;
};

}  // namespace velt::desk

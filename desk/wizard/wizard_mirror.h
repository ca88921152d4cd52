// The wizard's pages that the windows it drives mirror into (desk/core/window_links/
// wizard_pages.h), registered in the shared module's window hooks at start. Each reaches the
// wizard through the form registry each time, so a closed wizard is simply absent.
#pragma once

#include "desk/core/window_links/wizard_pages.h"

namespace velt::desk {

// The settings dialog's view: its file lists mirrored into the wizard's audio and MIDI pages,
// the wizard's instrument row for test tones, and the end of the tapping playback handed to the
// wizard's Stop.
class WizardMirror : public WizardFilePages {
  public:
    void copyFileLists(const std::vector<std::string>& audioRows,
                       const std::vector<std::string>& midiRows, int audioRow,
                       int midiRow) override;
    void selectFileRows(int audioRow, int midiRow) override;
    void stopPlayback() override;
};

// The recorder's view of the wizard: its counter, metronome light, Save button and level meter
// mirrored into the record page, and the end of a playback handed to the page's Stop.
class WizardRecorderMirror : public WizardRecordPage {
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
class WizardCdMirror : public WizardCdPage {
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

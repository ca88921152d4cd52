// What the CD transfer window shows on the New Project Wizard's CD page while WizardRunning is
// set. This default link has no wizard behind it and does nothing; the wizard installs its own
// link on the window it drives.
#pragma once

#include <string>
#include <vector>

namespace velt::desk {

// The page's state copied at the end of every status tick.
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

class CdWizardLink {
  public:
    virtual ~CdWizardLink() = default;
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

}  // namespace velt::desk

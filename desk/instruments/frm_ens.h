// frmEns, the ensemble editor ("Edit Ensemble"): the sixteen parts of an ensemble, rows 0..14
// melodic instruments with a General MIDI program, row 15 the percussion part whose instrument is
// the drum kit. Each row has its channel, polyphony, note range and stereo track; the master
// pitch range (index 16 of the range controls) and a coverage strip sit below. The window edits
// its own controls; Apply commits them to the working ensemble and to the settings dialog, OK is
// Apply and close, Cancel closes and leaves the working ensemble as it was at opening. Load and
// Save As read and write ensemble files (.ens, older .vpm).
//
// The settings dialog shows it modally and releases it afterwards; it also works loaded and
// hidden, driven through its procedures.
#pragma once

#include <array>
#include <string>

#include "desk/core/shared/ensemble_file.h"
#include "desk/ui/ui.h"

namespace velt::desk {

class frmEns : public ui::Form {
  public:
    frmEns();

    static constexpr int kMasterRange = 16;  // index of the master range's controls
    static constexpr int kVisibleRows = 8;   // melodic rows shown at a time

    // Row controls: index = row 0..15; the range controls also have index 16.
    ui::ControlArray<ui::Frame> fraGrid{this, "fraGrid"};  // melodic rows 0..14
    ui::Frame fraDrumRow{this, "fraDrumRow"};              // row 15, never scrolled
    ui::ControlArray<ui::CheckBox> chkActive{this, "chkActive"};
    ui::ControlArray<ui::CheckBox> chkMute{this, "chkMute"};
    ui::ControlArray<ui::ComboBox> cboPatch{this, "cboPatch"};
    ui::ControlArray<ui::TextBox> txtChannel{this, "txtChannel"};
    ui::ControlArray<ui::UpDown> spnChannel{this, "spnChannel"};
    ui::ControlArray<ui::TextBox> txtPoly{this, "txtPoly"};
    ui::ControlArray<ui::UpDown> spnPoly{this, "spnPoly"};
    ui::ControlArray<ui::TextBox> txtKeyMin{this, "txtKeyMin"};
    ui::ControlArray<ui::UpDown> spnKeyMin{this, "spnKeyMin"};
    ui::ControlArray<ui::TextBox> txtKeyMax{this, "txtKeyMax"};
    ui::ControlArray<ui::UpDown> spnKeyMax{this, "spnKeyMax"};
    ui::ControlArray<ui::Slider> sldNoteRange{this, "sldNoteRange"};
    ui::ControlArray<ui::OptionButton> optTrackL{this, "optTrackL"};
    ui::ControlArray<ui::OptionButton> optTrackR{this, "optTrackR"};
    ui::ScrollBar scrGrid{this, "scrGrid"};
    ui::Label lblHeader{this, "lblHeader"};

    ui::Label lblPatchMap{this, "lblPatchMap"};
    ui::TextBox txtPatchMap{this, "txtPatchMap"};
    ui::CheckBox chkAutoName{this, "chkAutoName"};
    ui::CheckBox chkSplitStereo{this, "chkSplitStereo"};
    ui::Label lblTrack{this, "lblTrack"};
    ui::Label lblDrumKit{this, "lblDrumKit"};
    ui::TextBox txtDrumKit{this, "txtDrumKit"};
    ui::CommandButton cmdDrumKitBrowse{this, "cmdDrumKitBrowse"};
    ui::CommandButton cmdDrumKitEdit{this, "cmdDrumKitEdit"};
    ui::Frame fraMaster{this, "fraMaster"};
    ui::CommandButton cmdFullRange{this, "cmdFullRange"};
    ui::Label lblPitch{this, "lblPitch"};
    ui::PictureBox picPitchRange{this, "picPitchRange"};
    ui::CommandButton cmdLoad{this, "cmdLoad"};
    ui::CommandButton cmdSaveAs{this, "cmdSaveAs"};
    ui::CommandButton cmdApply{this, "cmdApply"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::CommonDialog cdlFile{this, "cdlFile"};

    // Window state.
    std::array<int, kEnsembleRows> RowPatch{};  // program number of each row
    bool EnsLoading = false;                    // the window is opening or a file is loading
    bool Adjusting = false;                     // a row's range is being set to its instrument's
    bool FullRanging = false;                   // Full Range is setting the master range
    bool StereoChanged = false;                 // Split Stereo was clicked since opening
    double NoteWidth = 0;                       // width of one note in picPitchRange

    // Procedures other windows and the tests use.
    void CheckName(int row);
    void EnableEnsembleRow(int row);
    void ColorPitchRange();
    void ScrollGrid();
    void AllocateChannels();
    void LoadDrumKit(const std::string& path);

    // Handlers.
    void chkActive_Click(int Index);
    void chkMute_Click(int Index);
    void cboPatch_Click(int Index);
    void txtChannel_Change(int Index);
    void txtChannel_LostFocus(int Index);
    void txtPoly_LostFocus(int Index);
    void txtKeyMin_LostFocus(int Index);
    void txtKeyMax_LostFocus(int Index);
    void spnChannel_UpClick(int Index);
    void spnChannel_DownClick(int Index);
    void spnPoly_UpClick(int Index);
    void spnPoly_DownClick(int Index);
    void spnKeyMin_UpClick(int Index);
    void spnKeyMin_DownClick(int Index);
    void spnKeyMax_UpClick(int Index);
    void spnKeyMax_DownClick(int Index);
    void sldNoteRange_MouseDown(int Index, int Button);
    void sldNoteRange_MouseUp(int Index, int Button);
    void scrGrid_Change();
    void chkAutoName_Click();
    void chkSplitStereo_Click();
    void cmdDrumKitBrowse_Click();
    void cmdDrumKitEdit_Click();
    void cmdFullRange_Click();
    void cmdLoad_Click();
    void cmdSaveAs_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    void edited();
    void wireRowEvents();
    void designRow(int row, ui::Control& container, double top);
    // Both ends of a row's range at once: both stored first, then each box and its validation,
    // so neither end is clamped against the old range.
    void SetRange(int index, int low, int high);
    void FillPatchList(int row);
    void SelectPatch(int row, int patch);
    void enableRowControls(int row, bool enabled);
    // The rows as an ensemble file holds them, each box held to its range.
    EnsembleFile rowsToFile();
    void loadRows(const EnsembleFile& ensemble);
    bool saveAs();
    int boxChannel(int row);
    int boxPoly(int row);

    // The kit as it was at opening or at the last Apply: Cancel puts it back (the kit editor,
    // LoadDrumKit and Load write the working kit at once).
    struct CommittedKit {
        std::string drumKit, kitName;
        int autoName = 1, percussionPoly = 4;
    } committedKit_;
    void rememberKit();
    bool allocating_ = false;         // a channel allocation is running
    bool allocationPending_ = false;  // a box changed during it: allocate again
};

}  // namespace velt::desk

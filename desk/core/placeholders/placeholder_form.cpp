#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

PlaceholderForm::PlaceholderForm(std::string name, std::string caption, std::string note)
    : Form(std::move(name)), caption_(std::move(caption)), note_(std::move(note)) {
    cmdClose.Click = [this] { cmdClose_Click(); };
}

void PlaceholderForm::design() {
    setCaption(caption_);
    Move((ui::Screen::Width() - 6000) / 2, (ui::Screen::Height() - 2700) / 2, 6000, 2700);
    lblNote.Move(240, 240, 5520, 780);
    lblNote.setWordWrap(true);
    lblNote.setCaption(note_);
    cmdClose.Move(6000 - 1215 - 240, 2700 - 600, 1215, 375);
    cmdClose.setCaption("Close");
    cmdClose.setCancel(true);
}

}  // namespace velt::desk

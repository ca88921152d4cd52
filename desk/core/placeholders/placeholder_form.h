// Stand-ins for windows that other parts of the program will bring: each is registered under the
// real window's name, says in one line that it is not available yet, and honours the hand-over
// its callers rely on (the shared values it leaves behind), so the main window's commands run
// end to end. A Close button (Esc) unloads it.
#pragma once

#include <string>

#include "desk/ui/ui.h"

namespace velt::desk {

class PlaceholderForm : public ui::Form {
  public:
    PlaceholderForm(std::string name, std::string caption, std::string note);

    ui::Label lblNote{this, "lblNote"};
    ui::CommandButton cmdClose{this, "cmdClose"};

    virtual void cmdClose_Click() { unload(); }

  protected:
    void design() override;
    // Room for a window's own controls between the note and the button row (twips from the top).
    static constexpr double ContentTop = 1100;
    double buttonRowTop() const { return Height() - 600; }

  private:
    std::string caption_, note_;
};

}  // namespace velt::desk

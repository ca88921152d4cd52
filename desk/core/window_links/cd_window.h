// The CD transfer window (desk/media, frmCD) as the New Project Wizard drives it: loaded hidden
// for the wizard's CD page, whose button bar, lists and buttons run the window's handlers. The
// media folder fills the shared module's window hooks with these parts of the registry's one CD
// window (Windows().cdWindow); they name the window's own members and refer to one instance.
#pragma once

#include <functional>

#include "desk/ui/ui.h"

namespace velt::desk {

struct CdWindowParts {
    ui::Form& form;

    ui::TextBox& lblFileName;
    ui::StatusBar& StatusBar;
    ui::ComboBox& cboDrives;
    ui::ListBox& lstTracks;
    ui::CommandButton& cmdRip;

    std::function<void()> cmdRip_Click;
    std::function<void()> cmdMixer_Click;
    std::function<void(int&)> mmCD_PlayClick;
    std::function<void(int&)> mmCD_StopClick;
    std::function<void(int&)> mmCD_PrevClick;
    std::function<void(int&)> mmCD_NextClick;
    std::function<void(int&)> mmCD_EjectClick;
};

}  // namespace velt::desk

// Makes a window hook entry from a form class of the owning folder and the function that
// names its parts.
#pragma once

#include <optional>

#include "desk/core/window_links/offered_window.h"
#include "desk/ui/forms.h"

namespace velt::desk {

template <class F, class Parts>
OfferedWindow<Parts> OfferedForm(Parts (*partsOf)(F&)) {
    return {
        [partsOf] { return partsOf(ui::forms::get<F>()); },
        [partsOf]() -> std::optional<Parts> {
            F* form = ui::forms::existing<F>();
            if (form == nullptr) return std::nullopt;
            return partsOf(*form);
        },
        [] { ui::Release<F>(); },
    };
}

}  // namespace velt::desk

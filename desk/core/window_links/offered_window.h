// One window of a window folder as the windows of other folders reach it: the parts it offers
// (a struct of references to the members of the form registry's one instance, declared beside
// this header) and the instance's lifetime. The folder that owns the window makes the entry with
// OfferedForm at start; the others call through the shared module's window hooks.
#pragma once

#include <functional>
#include <optional>

namespace velt::desk {

template <class Parts>
struct OfferedWindow {
    std::function<Parts()> get;                      // made and loaded when needed
    std::function<std::optional<Parts>()> existing;  // loaded or not; none without an instance
    std::function<void()> release;                   // forgets the instance
};

}  // namespace velt::desk

// A stand-in in one entry of the shared module's window hooks for the life of the guard; the
// registered entry comes back after, so a test leaves the program's wiring as it found it.
#pragma once

#include <utility>

namespace velt::desk {

template <class Entry>
class ScopedHook {
  public:
    ScopedHook(Entry& entry, Entry standIn)
        : entry_(entry), registered_(std::exchange(entry, std::move(standIn))) {}
    ~ScopedHook() { entry_ = std::move(registered_); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

  private:
    Entry& entry_;
    Entry registered_;
};

}  // namespace velt::desk

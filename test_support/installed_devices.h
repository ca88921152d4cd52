// A device set that a test installs in its layer (sound input, sound output, MIDI output) for the
// life of this object, which owns the set. On destruction the layer is sent back to its own choice
// first, so it releases its open handles (stops their captures, streams and notes) while the set
// still exists; a set that died first would be called into at the next close or useDevices.
//
// The layer is found from the set's namespace: platform::wave_in::useDevices for a wave_in set.
#pragma once

#include <memory>
#include <utility>

namespace velt::test {

template <class Set>
class InstalledDevices {
  public:
    // Makes the set from `args` and installs it.
    template <class... Args>
    explicit InstalledDevices(Args&&... args)
        : InstalledDevices(std::make_unique<Set>(std::forward<Args>(args)...)) {}
    // Installs a set made elsewhere (the system's, say).
    explicit InstalledDevices(std::unique_ptr<Set> set) : set_(std::move(set)) {
        useDevices(set_.get());
    }
    ~InstalledDevices() { useDevices(static_cast<Set*>(nullptr)); }
    InstalledDevices(const InstalledDevices&) = delete;
    InstalledDevices& operator=(const InstalledDevices&) = delete;

    Set& operator*() const { return *set_; }
    Set* operator->() const { return set_.get(); }

  private:
    std::unique_ptr<Set> set_;
};

}  // namespace velt::test

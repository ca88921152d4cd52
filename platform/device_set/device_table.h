// The plumbing the numbered-device layers (sound input, sound output, MIDI output) share: the
// device set in use (one chosen by a test, else the layer's own, made on first use), the device
// numbering rules, the handle table of open entries and the per-device volumes.
//
// The rules every such layer answers by: its devices come from one of three sources, chosen by
// the layer, never by program code (the system's devices, a stand-in an environment variable
// names, or a set a test installs through useDevices); devices are numbered from 0 and -1 is the
// default device, the first one; names are cut to kMaxDeviceNameLength; an open answers
// NoDevice when there is no device at all and BadDeviceId for a number out of range; a handle is
// never 0.
//
// `DeviceSet` has count() and name(id); `Entry` has an `int32_t device` member. One table per
// layer and process: it stands for the operating system's.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/mm_error/mm_error.h"

namespace velt::platform {

// The classic volume word meaning full on both sides.
constexpr uint32_t kFullVolume = 0xFFFFFFFFu;

template <class DeviceSet, class Entry>
class DeviceTable {
  public:
    // `makeOwn` makes the layer's own device set; `release` stops an entry that is dropped
    // without a close of its own (when the device set changes).
    DeviceTable(std::function<std::unique_ptr<DeviceSet>()> makeOwn,
                std::function<void(Entry&)> release)
        : makeOwn_(std::move(makeOwn)), release_(std::move(release)) {}

    DeviceSet& devices() {
        if (chosen_) return *chosen_;
        if (!own_) own_ = makeOwn_();
        return *own_;
    }

    // Selects the devices: nullptr goes back to the layer's own choice. Open entries are
    // released and the volumes forgotten.
    void use(DeviceSet* chosen) {
        for (auto& [handle, entry] : entries_) release_(entry);
        entries_.clear();
        volumes_.clear();
        chosen_ = chosen;
        own_.reset();
    }

    int32_t count() { return devices().count(); }

    // "" for an id out of range; at most kMaxDeviceNameLength characters.
    std::string name(int32_t id) {
        if (id < 0 || id >= count()) return "";
        std::string name = devices().name(id);
        if (name.size() > kMaxDeviceNameLength) name.resize(kMaxDeviceNameLength);
        return name;
    }

    // Turns `id` into a device number (-1: the default device, the first one): NoDevice when
    // there is no device at all, BadDeviceId for an id out of range.
    int32_t checkId(int32_t& id) {
        const int32_t devices = count();
        if (devices <= 0) return kMidiNoDevice;
        if (id == -1) id = 0;
        if (id < 0 || id >= devices) return kMmBadDeviceId;
        return kMmOk;
    }

    bool inUse(int32_t device) const {
        for (const auto& [handle, entry] : entries_)
            if (entry.device == device) return true;
        return false;
    }

    Entry* find(int32_t handle) {
        auto it = entries_.find(handle);
        return it == entries_.end() ? nullptr : &it->second;
    }

    // Puts an opened entry in the table; the answer is its handle (never 0).
    int32_t add(Entry entry) {
        const int32_t handle = nextHandle_++;
        entries_.emplace(handle, std::move(entry));
        return handle;
    }

    // Releases and drops the entry of `handle`: InvalidHandle when it is not open.
    int32_t close(int32_t handle) {
        auto it = entries_.find(handle);
        if (it == entries_.end()) return kMmInvalidHandle;
        release_(it->second);
        entries_.erase(it);
        return kMmOk;
    }

    bool hasVolume(int32_t device) const { return volumes_.count(device) != 0; }
    uint32_t volume(int32_t device) const {
        auto it = volumes_.find(device);
        return it == volumes_.end() ? kFullVolume : it->second;
    }

    // Sets the volume of device `id` (-1: the default one) and hands every open entry of it to
    // `apply`.
    template <class Apply>
    int32_t setVolume(int32_t id, uint32_t volume, Apply apply) {
        if (id == -1) id = 0;
        // A balance slider sets the volume at every step: a device open now needs no new look
        // at the system's devices.
        if (!inUse(id)) {
            const int32_t result = checkId(id);
            if (result != kMmOk) return result;
        }
        volumes_[id] = volume;
        for (auto& [handle, entry] : entries_)
            if (entry.device == id) apply(entry);
        return kMmOk;
    }

    int32_t getVolume(int32_t id, uint32_t& volume) {
        volume = 0;
        const int32_t result = checkId(id);
        if (result != kMmOk) return result;
        volume = this->volume(id);
        return kMmOk;
    }

  private:
    std::function<std::unique_ptr<DeviceSet>()> makeOwn_;
    std::function<void(Entry&)> release_;
    DeviceSet* chosen_ = nullptr;
    std::unique_ptr<DeviceSet> own_;
    std::map<int32_t, Entry> entries_;
    std::map<int32_t, uint32_t> volumes_;  // per device; absent = full
    int32_t nextHandle_ = 1;
};

}  // namespace velt::platform

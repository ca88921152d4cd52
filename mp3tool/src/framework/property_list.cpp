#include "framework/property_list.h"

#include <algorithm>

#include "framework/error_codes.h"

namespace velt::mp3 {

Property* PropertyList::find(std::string_view name) {
    auto it = std::find_if(properties_.begin(), properties_.end(),
                           [&](const Property& p) { return p.name == name; });
    return it == properties_.end() ? nullptr : &*it;
}

const Property* PropertyList::find(std::string_view name) const {
    auto it = std::find_if(properties_.begin(), properties_.end(),
                           [&](const Property& p) { return p.name == name; });
    return it == properties_.end() ? nullptr : &*it;
}

void PropertyList::notify(std::string_view name, const Property* value) const {
    // A watcher may add or remove watchers; walk a copy so that the walk stays valid.
    const std::list<Watcher> watchers = watchers_;
    for (const Watcher& w : watchers) {
        if (w.name == name && w.callback) w.callback(name, value);
    }
}

int PropertyList::setInteger(std::string_view name, std::int32_t value) {
    if (name.empty()) return kInvalidParameters;
    Property* p = find(name);
    if (p != nullptr && p->type != PropertyType::Integer) return kInvalidPropertyType;
    if (p == nullptr) {
        properties_.push_front(Property{std::string(name), PropertyType::Integer, {}, value});
        p = &properties_.front();
    } else {
        p->integer = value;
    }
    notify(name, p);
    return kOk;
}

int PropertyList::setString(std::string_view name, std::string_view text) {
    if (name.empty()) return kInvalidParameters;
    Property* p = find(name);
    if (p != nullptr && p->type != PropertyType::String) return kInvalidPropertyType;
    if (p == nullptr) {
        properties_.push_front(
            Property{std::string(name), PropertyType::String, std::string(text), 0});
        p = &properties_.front();
    } else {
        p->text.assign(text);
    }
    notify(name, p);
    return kOk;
}

int PropertyList::getInteger(std::string_view name, std::int32_t& value) const {
    if (name.empty()) return kInvalidParameters;
    const Property* p = find(name);
    if (p == nullptr) return kNoSuchProperty;
    if (p->type != PropertyType::Integer) return kInvalidPropertyType;
    value = p->integer;
    return kOk;
}

int PropertyList::getString(std::string_view name, std::string& text) const {
    if (name.empty()) return kInvalidParameters;
    const Property* p = find(name);
    if (p == nullptr) return kNoSuchProperty;
    if (p->type != PropertyType::String) return kInvalidPropertyType;
    text = p->text;
    return kOk;
}

int PropertyList::remove(std::string_view name) {
    auto it = std::find_if(properties_.begin(), properties_.end(),
                           [&](const Property& p) { return p.name == name; });
    if (it == properties_.end()) return kNoSuchProperty;
    const std::string removed = it->name;  // the name outlives the property for the watchers
    properties_.erase(it);
    notify(removed, nullptr);
    return kOk;
}

int PropertyList::addWatcher(std::string_view name, PropertyWatcher watcher, int& handle) {
    if (name.empty() || !watcher) return kInvalidParameters;
    handle = nextHandle_++;
    watchers_.push_front(Watcher{handle, std::string(name), std::move(watcher)});
    return kOk;
}

int PropertyList::removeWatcher(int handle) {
    auto it = std::find_if(watchers_.begin(), watchers_.end(),
                           [&](const Watcher& w) { return w.handle == handle; });
    if (it == watchers_.end()) return -1;
    watchers_.erase(it);
    return kOk;
}

PropertySnapshot PropertyList::snapshot() const {
    return PropertySnapshot(properties_.begin(), properties_.end());
}

void PropertyList::clear() {
    while (!properties_.empty()) remove(properties_.front().name);
}

}  // namespace velt::mp3

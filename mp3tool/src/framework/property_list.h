// Named values that modules publish about a stream ("id3/title", "mpeg/layer") or about the
// environment. One property per name (names compare byte for byte); a value is a string or a
// 32-bit integer and keeps the type it was created with. Watchers of a name are told of every set
// and delete of that name. A snapshot lists the properties newest first.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace velt::mp3 {

enum class PropertyType : std::uint8_t { String = 0, Integer = 1 };

struct Property {
    std::string name;
    PropertyType type = PropertyType::String;
    std::string text;          // the value of a string property
    std::int32_t integer = 0;  // the value of an integer property

    bool operator==(const Property&) const = default;
};

// Told of a set (with the property as it now is) or a delete (with nullptr).
using PropertyWatcher = std::function<void(std::string_view name, const Property* value)>;

using PropertySnapshot = std::vector<Property>;

class PropertyList {
  public:
    // 0, or kInvalidParameters for an empty name, kInvalidPropertyType when the name holds the
    // other type (nothing changes then).
    int setInteger(std::string_view name, std::int32_t value);
    int setString(std::string_view name, std::string_view text);

    // 0, kInvalidParameters, kNoSuchProperty or kInvalidPropertyType; the value only on 0.
    int getInteger(std::string_view name, std::int32_t& value) const;
    int getString(std::string_view name, std::string& text) const;

    // 0 or kNoSuchProperty; the watchers of the name are told before it goes.
    int remove(std::string_view name);

    // Puts the watcher in front of the others and hands back its handle (positive).
    int addWatcher(std::string_view name, PropertyWatcher watcher, int& handle);
    // 0; -1 when the list has no watchers or none has that handle.
    int removeWatcher(int handle);

    // Every property, newest first.
    PropertySnapshot snapshot() const;
    std::size_t size() const { return properties_.size(); }

    // Deletes every property, telling the watchers.
    void clear();

  private:
    struct Watcher {
        int handle = 0;
        std::string name;
        PropertyWatcher callback;
    };

    Property* find(std::string_view name);
    const Property* find(std::string_view name) const;
    void notify(std::string_view name, const Property* value) const;

    std::list<Property> properties_;  // newest first
    std::list<Watcher> watchers_;     // newest first
    int nextHandle_ = 1;
};

}  // namespace velt::mp3

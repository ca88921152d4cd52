// Read-only look-ups of values registered by outside programs (where an installed program says
// its executable lives). Linux has no such registration: SystemRegistry finds nothing.
// RegistryDouble holds values for tests.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace velt::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };
enum class RegistryType { String, Binary, Dword, Other };

struct RegistryValue {
    RegistryType type = RegistryType::String;
    std::string data;  // the raw bytes (a string may hold a NUL and text after it)
};

class Registry {
  public:
    virtual ~Registry() = default;
    // The value named valueName ("" for the key's default value) of a key path such as
    // "SOFTWARE\\Vendor\\App"; nothing when the key or the value is missing.
    virtual std::optional<RegistryValue> query(RegistryRoot root, const std::string& keyPath,
                                               const std::string& valueName) const = 0;
};

class SystemRegistry : public Registry {
  public:
    std::optional<RegistryValue> query(RegistryRoot, const std::string&,
                                       const std::string&) const override {
        return std::nullopt;
    }
};

// Key paths and value names match case-insensitively, as registry names do.
class RegistryDouble : public Registry {
  public:
    void set(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
             RegistryValue value);
    std::optional<RegistryValue> query(RegistryRoot root, const std::string& keyPath,
                                       const std::string& valueName) const override;
    int queries() const { return queries_; }

  private:
    std::map<std::tuple<RegistryRoot, std::string, std::string>, RegistryValue> values_;
    mutable int queries_ = 0;
};

// A value as text: a string up to its first NUL; a binary or double-word value as the decimal
// number of its first four bytes (little-endian); other types as "". Nothing when absent.
std::optional<std::string> queryText(const Registry& registry, RegistryRoot root,
                                     const std::string& keyPath, const std::string& valueName);

}  // namespace velt::platform

#include "platform/registry/registry.h"

#include <algorithm>
#include <cctype>

namespace velt::platform {

namespace {

std::string folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

void RegistryDouble::set(RegistryRoot root, const std::string& keyPath,
                         const std::string& valueName, RegistryValue value) {
    values_[{root, folded(keyPath), folded(valueName)}] = std::move(value);
}

std::optional<RegistryValue> RegistryDouble::query(RegistryRoot root, const std::string& keyPath,
                                                   const std::string& valueName) const {
    ++queries_;
    auto it = values_.find({root, folded(keyPath), folded(valueName)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> queryText(const Registry& registry, RegistryRoot root,
                                     const std::string& keyPath, const std::string& valueName) {
    auto value = registry.query(root, keyPath, valueName);
    if (!value) return std::nullopt;
    switch (value->type) {
        case RegistryType::String:
            return value->data.substr(0, value->data.find('\0'));
        case RegistryType::Binary:
        case RegistryType::Dword: {
            uint32_t n = 0;
            for (size_t i = 0; i < 4 && i < value->data.size(); ++i) {
                n |= static_cast<uint32_t>(static_cast<unsigned char>(value->data[i])) << (8 * i);
            }
            return std::to_string(n);
        }
        case RegistryType::Other:
            break;
    }
    return std::string();
}

}  // namespace velt::platform

#include "platform/settings_store/settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/profile/profile.h"

namespace velt::platform {

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return "/tmp";
}

// The profile reader trims blanks and one pair of enclosing quotes; a value that would lose
// either is stored inside double quotes so that it reads back unchanged.
std::string protect(const std::string& value) {
    if (value.empty()) return value;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                  value.back() == value.front();
    if (blank(value.front()) || blank(value.back()) || quoted) return "\"" + value + "\"";
    return value;
}

}  // namespace

std::filesystem::path SettingsStore::userConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative value.
    if (config != nullptr && config[0] == '/') return config;
    return std::filesystem::path(homeFolder()) / ".config";
}

SettingsStore::SettingsStore(const std::string& applicationTitle)
    : SettingsStore(applicationTitle, userConfigFolder()) {}

SettingsStore::SettingsStore(const std::string& applicationTitle,
                             const std::filesystem::path& baseFolder)
    : file_(baseFolder / applicationTitle / "settings.ini") {}

std::string SettingsStore::getSetting(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
    return profile::readString(section, key, defaultValue, file_);
}

bool SettingsStore::saveSetting(const std::string& section, const std::string& key,
                                const std::string& value) {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    if (ec) return false;
    return profile::writeString(section, key, protect(value), file_);
}

}  // namespace velt::platform

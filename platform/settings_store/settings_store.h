// The per-user settings store: application, section and key to text, kept in one INI file
// "settings.ini" in $XDG_CONFIG_HOME/<application title>/ ($HOME/.config when unset). Keys may hold
// blanks and "-" ("File-1", "Drum Kit"). Values read back exactly as saved; a value with a line
// break can't be stored and is refused.
#pragma once

#include <filesystem>
#include <string>

namespace velt::platform {

class SettingsStore {
  public:
    // The user's store for this application.
    explicit SettingsStore(const std::string& applicationTitle);
    // A store in a chosen folder (tests use a temporary folder as the double).
    SettingsStore(const std::string& applicationTitle, const std::filesystem::path& baseFolder);

    std::string getSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue = "") const;
    // Creates the folder and the file when needed; false when the value can't be stored.
    bool saveSetting(const std::string& section, const std::string& key, const std::string& value);

    const std::filesystem::path& file() const { return file_; }

    // The folder the user's settings live under: $XDG_CONFIG_HOME, else $HOME/.config.
    static std::filesystem::path userConfigFolder();

  private:
    std::filesystem::path file_;
};

}  // namespace velt::platform

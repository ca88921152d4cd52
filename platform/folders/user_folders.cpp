#include "platform/folders/user_folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace velt::platform {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string configFolder() {
    std::string config = environment("XDG_CONFIG_HOME");
    if (!config.empty() && config[0] == '/') return config;
    std::string home = environment("HOME");
    return home.empty() ? std::string() : home + "/.config";
}

// "$HOME/Music" or "/abs/path" as written in user-dirs.dirs or the environment.
std::string expandHome(const std::string& value, const std::string& home) {
    if (value == "$HOME" || value == "${HOME}") return home;
    if (value.rfind("$HOME/", 0) == 0) return home + value.substr(5);
    if (value.rfind("${HOME}/", 0) == 0) return home + value.substr(7);
    return value;
}

std::string userDir(const char* key, const char* fallbackName) {
    std::string home = environment("HOME");
    if (home.empty()) return "";
    std::string value = environment(key);
    if (value.empty()) {
        std::string config = configFolder();
        std::ifstream in(config + "/user-dirs.dirs");
        std::string line;
        std::string prefix = std::string(key) + "=";
        while (std::getline(in, line)) {
            if (line.rfind(prefix, 0) != 0) continue;
            value = line.substr(prefix.size());
            while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
                value.pop_back();
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
        }
    }
    value = expandHome(value, home);
    // An unset, relative or disabled ("$HOME/" only) entry falls back to the usual name.
    if (value.empty() || value[0] != '/' || folderText(value) == folderText(home)) {
        value = home + "/" + fallbackName;
    }
    return folderText(value);
}

}  // namespace

std::string folderText(const std::string& folder) {
    if (folder.empty()) return folder;
    std::string out = folder;
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out == "/" ? out : out + "/";
}

std::string installFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return folderText(exe.parent_path().string());
}

std::string musicFolder() {
    return userDir("XDG_MUSIC_DIR", "Music");
}

std::string documentsFolder() {
    return userDir("XDG_DOCUMENTS_DIR", "Documents");
}

std::string dataFolder() {
    std::string data = environment("XDG_DATA_HOME");
    // The XDG rules ignore a relative value.
    if (!data.empty() && data[0] == '/') return folderText(data);
    std::string home = environment("HOME");
    return home.empty() ? std::string() : folderText(home + "/.local/share");
}

std::vector<std::string> programFilesCandidates() {
    std::vector<std::string> out;
    std::string home = environment("HOME");
    if (!home.empty()) out.push_back(folderText(home + "/.local/bin"));
    for (const char* f : {"/usr/local/bin/", "/usr/bin/", "/opt/"}) out.emplace_back(f);
    return out;
}

}  // namespace velt::platform

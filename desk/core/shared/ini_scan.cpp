#include "desk/core/shared/ini_scan.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace velt::desk {

namespace {
std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}
}  // namespace

std::string ReadIniString(const std::string& /*section*/, const std::string& key,
                          const std::string& defaultValue, const std::string& file) {
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return defaultValue;
    std::ifstream in(file, std::ios::binary);
    if (!in) return defaultValue;
    const std::string needle = lowered(key + "=");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lowered(line).find(needle) != std::string::npos) return line.substr(line.find('=') + 1);
    }
    return defaultValue;
}

}  // namespace velt::desk

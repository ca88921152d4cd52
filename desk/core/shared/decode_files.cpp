#include "desk/core/shared/decode_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace velt::desk {

std::optional<std::string> ReadFirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string line;
    if (!std::getline(in, line) && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool ContainsNoCase(const std::string& text, const std::string& word) {
    auto lower = [](unsigned char c) { return std::tolower(c); };
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

void RemoveFileQuietly(const std::string& path) {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove(path, ignored);
}

}  // namespace velt::desk

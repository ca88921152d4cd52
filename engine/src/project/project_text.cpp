#include "project/project_text.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <fstream>
#include <sstream>

namespace velt::engine {

namespace {

size_t skipSpaces(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    return at;
}

}  // namespace

int ParseLeadingInt(std::string_view text) {
    size_t at = skipSpaces(text);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        if (value <= INT_MAX) value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double ParseLeadingDouble(std::string_view text) {
    std::string number(text.substr(skipSpaces(text)));
    for (char& c : number) {
        if (c == ',') c = '.';
    }
    size_t at = 0;
    if (!number.empty() && number[0] == '+') at = 1;
    double value = 0;
    auto result = std::from_chars(number.data() + at, number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range: the sign of the text decides which infinity, as strtod would say HUGE_VAL.
        return number[at] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    if (result.ec != std::errc()) return 0;
    return value;
}

ProjectText::ProjectText(std::string_view content) {
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos) end = content.size();
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.emplace_back(line);
        start = end + 1;
    }
}

std::optional<ProjectText> ProjectText::Load(const std::filesystem::path& file) {
    // A folder opens for reading here but holds no text: it is no project (and must not read as
    // an empty one, which would start a live run).
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return ProjectText(content.str());
}

std::optional<ProjectText::Match> ProjectText::lastMatch(std::string_view key) const {
    std::optional<Match> found;
    for (const std::string& line : lines_) {
        size_t at = line.find(key);
        if (at == std::string::npos) continue;
        found = Match{std::string_view(line).substr(at + key.size()), line.size()};
    }
    return found;
}

bool ProjectText::readInt(std::string_view key, int& target) const {
    auto match = lastMatch(key);
    if (!match) return false;
    target = ParseLeadingInt(match->value);
    return true;
}

bool ProjectText::readDouble(std::string_view key, double& target) const {
    auto match = lastMatch(key);
    if (!match) return false;
    target = ParseLeadingDouble(match->value);
    return true;
}

bool ProjectText::readString(std::string_view key, size_t minLineLength,
                             std::string& target) const {
    std::optional<Match> found;
    for (const std::string& line : lines_) {
        size_t at = line.find(key);
        if (at == std::string::npos || line.size() + 1 <= minLineLength) continue;
        found = Match{std::string_view(line).substr(at + key.size()), line.size()};
    }
    if (!found) return false;
    target = std::string(found->value);
    return true;
}

}  // namespace velt::engine

#include "platform/profile/profile.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace velt::platform::profile {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The section name of a header line "[name]", or nothing for other lines.
std::optional<std::string> headerName(const std::string& line) {
    std::string t = trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string::npos) return trim(t.substr(1));
    return trim(t.substr(1, close - 1));
}

std::optional<std::string> keyName(const std::string& line) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return trim(line.substr(0, eq));
}

std::string valueOf(const std::string& line) {
    std::string v = trim(line.substr(line.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

}  // namespace

IniText::IniText(const std::string& content) {
    std::string line;
    std::istringstream in(content);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(line);
    }
}

bool IniText::load(const std::filesystem::path& file) {
    lines_.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    *this = IniText(content.str());
    return true;
}

std::string IniText::text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

bool IniText::save(const std::filesystem::path& file) const {
    std::filesystem::path temp = file;
    temp += ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text();
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::optional<size_t> IniText::findSection(const std::string& section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto name = headerName(lines_[i]);
        if (name && equalNoCase(*name, trim(section))) return i;
    }
    return std::nullopt;
}

size_t IniText::sectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !headerName(lines_[i])) ++i;
    return i;
}

std::optional<size_t> IniText::findKey(size_t header, const std::string& key) const {
    size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        auto name = keyName(lines_[i]);
        if (name && equalNoCase(*name, trim(key))) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniText::value(const std::string& section,
                                          const std::string& key) const {
    auto header = findSection(section);
    if (!header) return std::nullopt;
    auto line = findKey(*header, key);
    if (!line) return std::nullopt;
    return valueOf(lines_[*line]);
}

void IniText::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
    auto header = findSection(section);
    if (!header) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + value);
        return;
    }
    if (auto line = findKey(*header, key)) {
        // Keep the key as the file spells it; only the value changes.
        lines_[*line] = lines_[*line].substr(0, lines_[*line].find('=') + 1) + value;
        return;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    size_t at = sectionEnd(*header);
    while (at > *header + 1 && trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), key + "=" + value);
}

int parseLeadingInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) n = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) n = -n;
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return static_cast<int>(n);
}

std::string readString(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::filesystem::path& file) {
    IniText ini;
    if (!ini.load(file)) return defaultValue;
    return ini.value(section, key).value_or(defaultValue);
}

int readInt(const std::string& section, const std::string& key, int defaultValue,
            const std::filesystem::path& file) {
    IniText ini;
    if (!ini.load(file)) return defaultValue;
    auto v = ini.value(section, key);
    return v ? parseLeadingInt(*v) : defaultValue;
}

bool writeString(const std::string& section, const std::string& key, const std::string& value,
                 const std::filesystem::path& file) {
    // A line break would split the entry and "=" in a key would move the split point: refused.
    auto breaksLine = [](const std::string& t) { return t.find_first_of("\r\n") != t.npos; };
    if (breaksLine(section) || breaksLine(key) || breaksLine(value)) return false;
    if (key.find('=') != std::string::npos || section.find(']') != std::string::npos) return false;
    IniText ini;
    if (std::filesystem::exists(file) && !ini.load(file)) return false;
    ini.setValue(section, key, value);
    return ini.save(file);
}

}  // namespace velt::platform::profile

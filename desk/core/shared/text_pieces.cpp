#include "desk/core/shared/text_pieces.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "desk/core/global.h"

namespace velt::desk {

bool GetSwitch(const std::string& cmd, const std::string& sw, std::string& value) {
    if (sw.empty()) return false;
    size_t p = cmd.find(sw);
    if (p == std::string::npos) return false;
    size_t start = p + sw.size();
    if (start < cmd.size() && cmd[start] == '"') {
        ++start;
        size_t end = cmd.find('"', start);
        value = cmd.substr(start, end == std::string::npos ? std::string::npos : end - start);
    } else {
        size_t end = cmd.find(' ', start);
        value = start < cmd.size()
                    ? cmd.substr(start, end == std::string::npos ? std::string::npos : end - start)
                    : std::string();
    }
    return true;
}

std::string FormatHMS(int32_t seconds) {
    if (seconds < 0) seconds = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, (seconds % 3600) / 60,
                  seconds % 60);
    return text;
}

namespace {

// A piece of a text by 1-based position and length, empty where the text is shorter.
std::string mid(const std::string& text, size_t start, size_t length) {
    if (start < 1 || start > text.size()) return "";
    return text.substr(start - 1, length);
}

int32_t wholeVal(const std::string& text) {
    double v = Val(text);
    if (v > 2e9 || v < -2e9) return 0;
    return static_cast<int32_t>(v);
}

}  // namespace

int32_t ParseHMS(const std::string& hms) {
    int32_t h = wholeVal(mid(hms, 1, 2));
    int32_t m = wholeVal(mid(hms, 4, 2));
    int32_t s = wholeVal(hms.size() >= 2 ? hms.substr(hms.size() - 2) : hms);
    if (m > 59 || s > 59) return -1;
    return h * 3600 + m * 60 + s;
}

std::string TrimTime(std::string& hms) {
    // Each step runs only when the one before it blanked something.
    if (hms.size() >= 1 && hms[0] == '0') {
        hms[0] = ' ';
        if (hms.size() >= 3 && hms[1] == '0') {
            hms[1] = ' ';
            hms[2] = ' ';
            if (hms.size() >= 4 && hms[3] == '0') {
                hms[3] = ' ';
                if (hms.size() >= 5 && hms[4] == '0') hms[4] = ' ';
            }
        }
    }
    size_t first = hms.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = hms.find_last_not_of(' ');
    return hms.substr(first, last - first + 1);
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string BaseNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string StripQuotes(const std::string& text) {
    std::string t = text;
    if (!t.empty() && t.front() == '"') t.erase(0, 1);
    if (!t.empty() && t.back() == '"') t.pop_back();
    return t;
}

std::string CheckSamplesPath(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    return G().ProjectFolder + path;
}

double Val(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool point = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            number += c;
            digits = true;
        } else if ((c == '.' || c == ',') && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        size_t expDigits = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && expDigits < 6) {
            exponent += text[j++];
            ++expDigits;
        }
        if (expDigits > 0) number += exponent;
    }
    // from_chars reads the same whatever the program's locale; it takes no "+" sign.
    const char* begin = number.c_str();
    if (*begin == '+') ++begin;
    double v = 0;
    auto [end, ec] = std::from_chars(begin, number.c_str() + number.size(), v);
    (void)end;
    if (ec == std::errc::result_out_of_range) return 0;
    return v;
}

std::string FormatSingle(float value) {
    // to_chars writes "." whatever the program's locale.
    char text[48];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 7);
    if (ec != std::errc()) return "0";
    return std::string(text, end);
}

}  // namespace velt::desk

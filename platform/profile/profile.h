// INI profile files with the semantics of the classic private-profile functions: sections and
// keys match case-insensitively, the first matching section and key win, values are trimmed of
// blanks and of one pair of enclosing quotes. Writing replaces a value in place, appends a new key
// at the end of its section and a new section at the end of the file. CR LF and LF files are read
// alike; files are written with LF. Lines may be of any length.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velt::platform::profile {

// The lines of one INI file held in memory, for callers that read many keys from one file.
class IniText {
  public:
    IniText() = default;
    explicit IniText(const std::string& content);

    // Loads a file; a missing or unreadable file gives an empty text (and false).
    bool load(const std::filesystem::path& file);
    // Writes the whole text (LF line ends) through a temporary file and a rename, so a failed
    // write never leaves a half-written profile behind.
    bool save(const std::filesystem::path& file) const;

    // The value of a key, or nothing when the section or the key is absent.
    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    void setValue(const std::string& section, const std::string& key, const std::string& value);

    std::string text() const;  // the lines joined with LF, a final LF included

  private:
    std::optional<size_t> findSection(const std::string& section) const;
    size_t sectionEnd(size_t header) const;  // the index after the section's last line
    std::optional<size_t> findKey(size_t header, const std::string& key) const;

    std::vector<std::string> lines_;
};

// Reads a text key; absent section, key or file gives the default. "Key=" gives "".
std::string readString(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::filesystem::path& file);

// Reads an integer key: an optional sign and the leading digits ("12abc" gives 12, "abc" and ""
// give 0, values past the int range saturate); absent gives the default.
int readInt(const std::string& section, const std::string& key, int defaultValue,
            const std::filesystem::path& file);

// Writes a key, creating the file and the section when needed. False when the file can't be
// written, or when a text holds a line break (or the key "=", the section "]"); the file is then
// left as it was.
bool writeString(const std::string& section, const std::string& key, const std::string& value,
                 const std::filesystem::path& file);

// The integer reading rule on its own, for values already read.
int parseLeadingInt(const std::string& text);

}  // namespace velt::platform::profile

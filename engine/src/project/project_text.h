// The project file as the engine reads it: lines of "key=value", sections ignored. A key matches
// wherever its text (with its "=") stands in a line; the last line that holds it wins. Lines of any
// length are read whole, and CR LF line ends read as LF. Numbers are read locale-independently.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt::engine {

// Leading integer of a text as the C library's atoi reads it (spaces, sign, digits; no digits
// gives 0), saturated to the int range instead of overflowing.
int ParseLeadingInt(std::string_view text);

// Leading decimal number of a text, "," taken as the decimal point; no number gives 0.
double ParseLeadingDouble(std::string_view text);

class ProjectText {
  public:
    explicit ProjectText(std::string_view content);
    // Reads the file; nullopt when it cannot be opened.
    static std::optional<ProjectText> Load(const std::filesystem::path& file);

    // Each reader leaves the target alone when no line holds the key (the key ends with "=").
    bool readInt(std::string_view key, int& target) const;
    bool readDouble(std::string_view key, double& target) const;
    // A string key is taken only from a line (its line end counted as one character) longer than
    // minLineLength, so a bare "AudioFile=" at the start of a line leaves the setting as it is.
    bool readString(std::string_view key, size_t minLineLength, std::string& target) const;

  private:
    struct Match {
        std::string_view value;  // text after the key up to the line end
        size_t lineLength = 0;   // line length without its line end
    };
    std::optional<Match> lastMatch(std::string_view key) const;

    std::vector<std::string> lines_;
};

}  // namespace velt::engine

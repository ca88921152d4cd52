// Small file helpers of the decoding windows and the conversion run.
#pragma once

#include <optional>
#include <string>

namespace velt::desk {

// The first line of a text file without its line end ("\n" or "\r\n"); nullopt when the file
// can't be opened or holds no line yet.
std::optional<std::string> ReadFirstLine(const std::string& path);

// True when `text` contains `word`, letter case ignored.
bool ContainsNoCase(const std::string& text, const std::string& word);

// Removes a file if it is there; an empty path or a missing file is no error.
void RemoveFileQuietly(const std::string& path);

}  // namespace velt::desk

// The plain key scanner that reads project, ensemble and drum-kit files the way the engine does:
// the first line holding the key followed by "=" (case-insensitive, anywhere in the line, whatever
// its section) gives the text after that line's first "=".
#pragma once

#include <string>

namespace velt::desk {

// The section is not used: the first matching line of the whole file wins. A missing file, a
// folder or a file without a matching line gives `defaultValue`. A line's CR before its LF is not
// part of the value.
std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& file);

}  // namespace velt::desk

// The plain key scanner the desktop program reads project, ensemble and drum-kit keys with: the
// first line holding the key followed by "=" (case-insensitive, anywhere in the line, whatever its
// section) gives the text after that line's first "=". This is not how the engine reads a project
// (the last line holding the key, case-sensitive, the text after the key), nor how
// platform/profile reads INI files (sections, keys compared whole, values trimmed);
// ini_readers_test.cpp holds the three side by side.
#pragma once

#include <string>

namespace velt::desk {

// The section is not used: the first matching line of the whole file wins. A missing file, a
// folder or a file without a matching line gives `defaultValue`. A line's CR before its LF is not
// part of the value.
std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& file);

}  // namespace velt::desk

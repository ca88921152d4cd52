// The link to the favoured outside MIDI editor: its registered path ("App Paths") and the
// registry reads behind it. Linux has no such registration, so the system registry finds
// nothing; tests install a registry double.
#pragma once

#include <string>

namespace velt::platform {
class Registry;
}

namespace velt::desk {

platform::Registry& DeskRegistry();
void UseRegistry(platform::Registry* registry);  // nullptr: the system's

inline const char* kEditorAppPathKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\astudio2.exe";

// The text before the first NUL character (all of it when there is none).
std::string TrimNul(const std::string& text);

// Reads a value of a key of HKEY_LOCAL_MACHINE as text: strings cut at their first NUL, binary
// and double-word values as decimal numbers, other types as "". 0 on success, else 2 (the
// "file not found" code of a missing key or value).
long QueryRegString(const std::string& keyPath, const std::string& valueName, std::string& text);

// The editor's registered path, "" when the key or its value is missing.
std::string GetAppPath();

}  // namespace velt::desk

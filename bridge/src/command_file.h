// Writing the engine's command file.
#pragma once

#include <filesystem>
#include <string_view>

namespace velt::bridge {

// Replaces `file` with `text` (no line end) in one step: the text goes to a new file beside it,
// which is then renamed over it, so the engine never reads a half-written command. False when
// the file could not be written; `file` is then unchanged.
bool writeCommandFile(const std::filesystem::path& file, std::string_view text);

}  // namespace velt::bridge

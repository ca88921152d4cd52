// ID3v1 tags: the last 128 bytes of an MP3 file, "TAG" followed by fixed-width text fields and a
// genre byte. Each text field becomes a stream property with its trailing blanks removed.
#pragma once

#include <array>
#include <cstdint>

namespace velt::mp3 {

class ControlBlock;

inline constexpr std::size_t kId3v1Size = 128;

// Publishes the tag's fields ("id3/title", "id3/artist", "id3/album", "id3/year",
// "id3/comment" as strings, "id3/genre" as a signed integer) through the control block's stream
// properties. Returns false, publishing nothing, when the block does not begin with "TAG".
bool publishId3v1(const std::array<std::uint8_t, kId3v1Size>& tag, ControlBlock& control);

}  // namespace velt::mp3

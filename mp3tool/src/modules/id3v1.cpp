#include "modules/id3v1.h"

#include <cstring>
#include <string>

#include "framework/control_block.h"

namespace velt::mp3 {

namespace {

struct TextField {
    const char* property;
    std::size_t offset;
    std::size_t size;
};

constexpr TextField kTextFields[] = {
    {"id3/title", 3, 30}, {"id3/artist", 33, 30},  {"id3/album", 63, 30},
    {"id3/year", 93, 4},  {"id3/comment", 97, 30},
};
constexpr std::size_t kGenreOffset = 127;

// The field up to its first NUL, without trailing spaces.
std::string fieldText(const std::uint8_t* field, std::size_t size) {
    std::size_t length = 0;
    while (length < size && field[length] != 0) ++length;
    while (length > 0 && field[length - 1] == ' ') --length;
    return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace

bool publishId3v1(const std::array<std::uint8_t, kId3v1Size>& tag, ControlBlock& control) {
    if (std::memcmp(tag.data(), "TAG", 3) != 0) return false;
    for (const TextField& f : kTextFields) {
        control.setStreamString(f.property, fieldText(tag.data() + f.offset, f.size));
    }
    control.setStreamInteger("id3/genre", static_cast<std::int8_t>(tag[kGenreOffset]));
    return true;
}

}  // namespace velt::mp3

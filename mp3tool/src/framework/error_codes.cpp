#include "framework/error_codes.h"

#include <array>
#include <cstdint>
#include <span>

namespace velt::mp3 {

namespace {

// One row per group of one hundred codes; entry i is the text of code group - i.
constexpr std::array<std::string_view, 7> kGeneral = {
    "out of memory", "out of resources", "invalid parameters", "internal error",
    "timeout",       "version expired",  "version mismatch"};
constexpr std::array<std::string_view, 15> kNetwork = {
    "connect timed out", "connect failed",     "connection refused", "accept failed",
    "listen failed",     "socket failed",      "socket closed",      "bind failed",
    "host unknown",      "invalid http reply", "http error reply",   "http error",
    "invalid ftp reply", "ftp error reply",    "ftp error"};
constexpr std::array<std::string_view, 9> kPipeAndQueue = {
    "pipe failed",     "fork failed",         "select failed",
    "pipe closed",     "pipe read failed",    "pipe write failed",
    "invalid message", "circular queue full", "post failed"};
constexpr std::array<std::string_view, 2> kAddress = {"unsupported url scheme",
                                                      "invalid url syntax"};
constexpr std::array<std::string_view, 15> kInputOutput = {"open failed",
                                                           "close failed",
                                                           "read failed",
                                                           "write failed",
                                                           "permission denied",
                                                           "no such device",
                                                           "ioctl failed",
                                                           "plugin module not found",
                                                           "unsupported input type",
                                                           "unsupported output type",
                                                           "unsupported format",
                                                           "device busy",
                                                           "no such device",
                                                           "no such file",
                                                           "end of input stream"};
constexpr std::array<std::string_view, 2> kCodec = {"no codec found for this stream",
                                                    "sample rate changed"};
constexpr std::array<std::string_view, 1> kBitStream = {"invalid frame"};
constexpr std::array<std::string_view, 2> kLibraries = {"library not found", "symbol not found"};
constexpr std::array<std::string_view, 2> kProperties = {
    "no such property or environment variable", "invalid property or environment variable type"};
constexpr std::array<std::string_view, 1> kInterfaces = {"no such interface"};

std::span<const std::string_view> groupTexts(std::int64_t group) {
    switch (group) {
        case 1:
            return kGeneral;
        case 2:
            return kNetwork;
        case 3:
            return kPipeAndQueue;
        case 4:
            return kAddress;
        case 5:
            return kInputOutput;
        case 6:
            return kCodec;
        case 7:
            return kBitStream;
        case 8:
            return kLibraries;
        case 9:
            return kProperties;
        case 10:
            return kInterfaces;
        default:
            return {};
    }
}

}  // namespace

std::string_view errorText(int code) {
    if (code >= 0) return {};
    // Widened so that the most negative int negates without overflow.
    const std::int64_t magnitude = -static_cast<std::int64_t>(code);
    const auto texts = groupTexts(magnitude / 100);
    if (texts.empty()) return "unknown error";
    const auto entry = static_cast<std::size_t>(magnitude % 100);
    return entry < texts.size() ? texts[entry] : std::string_view{};
}

}  // namespace velt::mp3

#include "platform/midi_file/smf_reader.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "platform/midi_file/smf_meta.h"

namespace velt::platform::smf {

namespace {

constexpr size_t kHeaderChunk = 14;  // "MThd", length, format, tracks, division
constexpr size_t kChunkHead = 8;     // id and length
constexpr uint8_t kEndOfTrack = 0x2F;

uint32_t be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
unsigned be16(const uint8_t* p) {
    return unsigned{p[0]} << 8 | p[1];
}

// A cursor over one track chunk's bytes that never moves past their end.
class Cursor {
  public:
    explicit Cursor(std::span<const uint8_t> bytes) : b_(bytes) {}
    bool atEnd() const { return pos_ >= b_.size(); }
    std::optional<uint8_t> next() {
        if (atEnd()) return std::nullopt;
        return b_[pos_++];
    }
    void back() { --pos_; }
    std::optional<std::vector<uint8_t>> take(uint64_t n) {
        if (n > b_.size() - pos_) return std::nullopt;
        std::vector<uint8_t> out(b_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                 b_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += static_cast<size_t>(n);
        return out;
    }
    // A variable-length number: 7 bits a byte, high bit = more; at most four bytes.
    std::optional<uint32_t> varLength() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            auto b = next();
            if (!b) return std::nullopt;
            value = value << 7 | (*b & 0x7F);
            if ((*b & 0x80) == 0) return value;
        }
        return std::nullopt;
    }

  private:
    std::span<const uint8_t> b_;
    size_t pos_ = 0;
};

int dataBytes(uint8_t status) {
    switch (status & 0xF0) {
        case 0xC0:
        case 0xD0:
            return 1;
        default:
            return 2;
    }
}

// The events of one track chunk up to its end-of-track event; false when the events run past the
// chunk or make no sense.
bool readTrack(std::span<const uint8_t> chunk, std::vector<Event>& events) {
    Cursor in(chunk);
    uint8_t running = 0;
    uint64_t tick = 0;
    for (;;) {
        auto delta = in.varLength();
        if (!delta) return false;
        tick += *delta;
        auto first = in.next();
        if (!first) return false;
        uint8_t status = *first;
        if (status < 0x80) {
            if (running == 0) return false;
            in.back();
            status = running;
        }
        Event event;
        event.tick = tick;
        event.status = status;
        if (status <= 0xEF) {
            running = status;
            for (int i = dataBytes(status); i > 0; --i) {
                auto d = in.next();
                if (!d) return false;
                event.data.push_back(*d & 0x7F);
            }
        } else if (status == 0xFF) {
            auto type = in.next();
            if (!type) return false;
            event.meta = *type;
            auto length = in.varLength();
            if (!length) return false;
            auto body = in.take(*length);
            if (!body) return false;
            event.data = std::move(*body);
            events.push_back(std::move(event));
            if (*type == kEndOfTrack) return true;
            continue;
        } else if (status == 0xF0 || status == 0xF7) {
            auto length = in.varLength();
            if (!length) return false;
            auto body = in.take(*length);
            if (!body) return false;
            event.data = std::move(*body);
        } else {
            continue;  // a lone system byte: nothing to keep
        }
        events.push_back(std::move(event));
    }
}

}  // namespace

Refusal read(std::span<const uint8_t> bytes, File& out) {
    out = File{};
    if (bytes.size() < kHeaderChunk + kChunkHead || be32(bytes.data()) != 0x4D546864) {  // MThd
        return Refusal::NotMidi;
    }
    unsigned format = be16(bytes.data() + 8);
    if (format > 1) return Refusal::Format;
    if (bytes[12] >= 0x80) return Refusal::Smpte;
    unsigned division = be16(bytes.data() + 12);
    uint32_t headerLength = be32(bytes.data() + 4);
    if (headerLength < 6 || headerLength > bytes.size() - kChunkHead || division == 0) {
        return Refusal::NotMidi;
    }
    unsigned tracks = be16(bytes.data() + 10);
    if (tracks == 0) return Refusal::NotMidi;
    out.format = static_cast<int>(format);
    out.division = static_cast<int>(division);

    size_t at = kChunkHead + headerLength;
    while (out.tracks.size() < tracks) {
        if (bytes.size() - at < kChunkHead) return Refusal::NotMidi;
        uint32_t length = be32(bytes.data() + at + 4);
        size_t body = at + kChunkHead;
        if (length > bytes.size() - body) return Refusal::NotMidi;
        if (be32(bytes.data() + at) == 0x4D54726B) {  // MTrk
            std::vector<Event> events;
            if (!readTrack(bytes.subspan(body, length), events)) return Refusal::NotMidi;
            out.tracks.push_back(std::move(events));
        }
        at = body + length;
    }
    return Refusal::None;
}

Refusal readFile(const std::filesystem::path& path, File& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        out = File{};
        return Refusal::NotMidi;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    return read(bytes, out);
}

uint32_t tempoOf(const Event& event) {
    if (event.status != 0xFF || event.meta != kTempoMeta || event.data.size() != 3) return 0;
    return uint32_t{event.data[0]} << 16 | uint32_t{event.data[1]} << 8 | event.data[2];
}

}  // namespace velt::platform::smf

#include <optional>

#include "desk/core/shared/master_file.h"

namespace velt::desk {

namespace {

// A reader that never moves past the end of its bytes.
class Bytes {
  public:
    explicit Bytes(const std::vector<unsigned char>& b) : b_(b) {}
    bool atEnd() const { return pos_ >= b_.size(); }
    size_t pos() const { return pos_; }
    std::optional<unsigned> next() {
        if (atEnd()) return std::nullopt;
        return b_[pos_++];
    }
    bool skip(uint64_t n) {
        if (n > b_.size() - pos_) return false;
        pos_ += static_cast<size_t>(n);
        return true;
    }
    void seek(size_t p) { pos_ = p < b_.size() ? p : b_.size(); }
    uint32_t be32(size_t at) const {
        return (uint32_t{b_[at]} << 24) | (uint32_t{b_[at + 1]} << 16) |
               (uint32_t{b_[at + 2]} << 8) | b_[at + 3];
    }
    size_t size() const { return b_.size(); }

  private:
    const std::vector<unsigned char>& b_;
    size_t pos_ = 0;
};

// A variable-length quantity: 7 bits per byte, high bit = more; at most four bytes.
std::optional<uint32_t> varLength(Bytes& in) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        auto b = in.next();
        if (!b) return std::nullopt;
        value = (value << 7) | (*b & 0x7F);
        if ((*b & 0x80) == 0) return value;
    }
    return std::nullopt;
}

// Walks one track's events up to its end-of-track event. False when the events run past the
// file or make no sense (a data byte with no status to run on).
bool walkTrack(Bytes& in, MasterFileAnalysis& out) {
    unsigned status = 0;  // the last channel status, for running status
    for (;;) {
        if (!varLength(in)) return false;  // delta time
        auto first = in.next();
        if (!first) return false;
        unsigned byte = *first;
        if (byte < 0x80) {
            if (status == 0) return false;
            in.seek(in.pos() - 1);
            byte = status;
        }
        if (byte >= 0x80 && byte <= 0xEF) {
            status = byte;
            unsigned channel = (byte & 0x0F) + 1;
            out.channelUsed[channel] = true;
            switch (byte & 0xF0) {
                case 0xC0: {
                    auto program = in.next();
                    if (!program) return false;
                    if (out.channelProgram[channel] == -1)
                        out.channelProgram[channel] = static_cast<int32_t>(*program & 0x7F);
                    break;
                }
                case 0xD0:
                    if (!in.skip(1)) return false;
                    break;
                default:
                    if (!in.skip(2)) return false;
            }
        } else if (byte == 0xFF) {
            auto type = in.next();
            if (!type) return false;
            auto length = varLength(in);
            if (!length || !in.skip(*length)) return false;
            if (*type == 0x2F) return true;
        } else if (byte == 0xF0 || byte == 0xF7) {
            auto length = varLength(in);
            if (!length || !in.skip(*length)) return false;
        }
        // Other system bytes carry no data in a file; they are passed over.
    }
}

MasterFileAnalysis refuse(MasterFileAnalysis out, const std::string& message) {
    out.valid = false;
    out.refusal = message;
    return out;
}

}  // namespace

MasterFileAnalysis AnalyseMasterFile(const std::vector<unsigned char>& bytes) {
    MasterFileAnalysis out;
    if (bytes.size() < 22 || bytes[0] != 'M' || bytes[1] != 'T' || bytes[2] != 'h' ||
        bytes[3] != 'd')
        return refuse(out, kNotMidiFile);
    unsigned format = (unsigned{bytes[8]} << 8) | bytes[9];
    if (format > 1) return refuse(out, kFormatRefused);
    if (bytes[12] >= 128) return refuse(out, kSmpteRefused);

    Bytes in(bytes);
    unsigned tracks = (unsigned{bytes[10]} << 8) | bytes[11];
    uint32_t headerLength = in.be32(4);
    if (headerLength < 6 || headerLength > bytes.size() - 8) return refuse(out, kNotMidiFile);
    in.seek(8 + headerLength);
    for (unsigned t = 0; t < tracks;) {
        size_t chunk = in.pos();
        if (chunk + 8 > bytes.size()) return refuse(out, kNotMidiFile);
        uint32_t length = in.be32(chunk + 4);
        bool isTrack = bytes[chunk] == 'M' && bytes[chunk + 1] == 'T' && bytes[chunk + 2] == 'r' &&
                       bytes[chunk + 3] == 'k';
        in.seek(chunk + 8);
        if (!isTrack) {  // a chunk of another kind is passed over whole
            if (!in.skip(length)) return refuse(out, kNotMidiFile);
            continue;
        }
        if (!walkTrack(in, out)) return refuse(out, kNotMidiFile);
        // The next chunk follows the declared length when that covers the events read.
        uint64_t declaredEnd = uint64_t{chunk} + 8 + length;
        if (declaredEnd >= in.pos() && declaredEnd <= bytes.size())
            in.seek(static_cast<size_t>(declaredEnd));
        ++t;
    }
    out.valid = true;
    return out;
}

}  // namespace velt::desk

// Damaged variants of an input file, made from a seeded generator so that every variant can be
// made again from its fixture and index: cuts, flipped bits and bytes, zeroed and duplicated
// ranges, splices with another stream, random frame headers and bogus ID3v2 tags.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace velt::mp3::sweep {

using Bytes = std::vector<std::uint8_t>;

enum class Damage {
    Truncate,
    FlipBits,
    FlipBytes,
    ZeroRange,
    DuplicateRange,
    Splice,
    RandomHeaders,
    BogusTag,
    Mixed,
};
inline constexpr int kDamageKinds = 9;

inline const char* damageName(Damage kind) {
    switch (kind) {
        case Damage::Truncate:
            return "truncate";
        case Damage::FlipBits:
            return "flip bits";
        case Damage::FlipBytes:
            return "flip bytes";
        case Damage::ZeroRange:
            return "zero range";
        case Damage::DuplicateRange:
            return "duplicate range";
        case Damage::Splice:
            return "splice";
        case Damage::RandomHeaders:
            return "random headers";
        case Damage::BogusTag:
            return "bogus tag";
        case Damage::Mixed:
            return "mixed";
    }
    return "?";
}

class Damager {
  public:
    explicit Damager(std::uint32_t seed) : rng_(seed) {}

    // `partner` is another stream for splices (may be the original itself).
    Bytes make(const Bytes& original, Damage kind, const Bytes& partner) {
        Bytes b = original;
        switch (kind) {
            case Damage::Truncate:
                truncate(b);
                break;
            case Damage::FlipBits:
                flipBits(b, pick(1, 32));
                break;
            case Damage::FlipBytes:
                flipBytes(b, pick(1, 64));
                break;
            case Damage::ZeroRange:
                zeroRange(b);
                break;
            case Damage::DuplicateRange:
                duplicateRange(b);
                break;
            case Damage::Splice:
                b = splice(b, partner);
                break;
            case Damage::RandomHeaders:
                randomHeaders(b);
                break;
            case Damage::BogusTag:
                b = bogusTag(b);
                break;
            case Damage::Mixed:
                for (int n = pick(2, 4); n > 0; --n) {
                    b = make(b, static_cast<Damage>(pick(0, kDamageKinds - 2)), partner);
                }
                break;
        }
        return b;
    }

  private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::size_t at(std::size_t size) {
        return size == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, size - 1)(rng_);
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(rng_()); }

    // Cuts anywhere, often close to the start where tags and the first headers lie.
    void truncate(Bytes& b) {
        const std::size_t keep =
            pick(0, 3) == 0 ? at(std::min<std::size_t>(b.size(), 200) + 1) : at(b.size() + 1);
        b.resize(keep);
    }
    void flipBits(Bytes& b, int count) {
        for (int i = 0; i < count && !b.empty(); ++i)
            b[at(b.size())] ^= std::uint8_t(1 << pick(0, 7));
    }
    void flipBytes(Bytes& b, int count) {
        for (int i = 0; i < count && !b.empty(); ++i) b[at(b.size())] = byte();
    }
    std::size_t rangeLength(std::size_t size) {
        return std::min(size, static_cast<std::size_t>(pick(1, pick(0, 1) ? 64 : 4096)));
    }
    void zeroRange(Bytes& b) {
        const std::size_t from = at(b.size());
        const std::size_t length = std::min(rangeLength(b.size()), b.size() - from);
        std::fill_n(b.begin() + static_cast<long>(from), length, std::uint8_t{0});
    }
    void duplicateRange(Bytes& b) {
        if (b.empty()) return;
        const std::size_t from = at(b.size());
        const std::size_t length = std::min(rangeLength(b.size()), b.size() - from);
        const Bytes copy(b.begin() + static_cast<long>(from),
                         b.begin() + static_cast<long>(from + length));
        b.insert(b.begin() + static_cast<long>(at(b.size() + 1)), copy.begin(), copy.end());
    }
    // A head of one stream followed by a tail of the other, in either order.
    Bytes splice(const Bytes& a, const Bytes& other) {
        const bool swap = pick(0, 1) == 1;
        const Bytes& first = swap ? other : a;
        const Bytes& second = swap ? a : other;
        Bytes out(first.begin(), first.begin() + static_cast<long>(at(first.size() + 1)));
        out.insert(out.end(), second.begin() + static_cast<long>(at(second.size() + 1)),
                   second.end());
        return out;
    }
    // Frame headers replaced by random ones (sync kept, every other field random), or one field
    // of a real header changed, and a few random headers dropped anywhere.
    void randomHeaders(Bytes& b) {
        std::vector<std::size_t> syncs;
        for (std::size_t i = 0; i + 3 < b.size(); ++i) {
            if (b[i] == 0xff && (b[i + 1] & 0xe0) == 0xe0) syncs.push_back(i);
        }
        const int changes = pick(1, 24);
        for (int n = 0; n < changes; ++n) {
            const bool anywhere = syncs.empty() || pick(0, 3) == 0;
            const std::size_t where = anywhere ? at(b.size()) : syncs[at(syncs.size())];
            if (where + 4 > b.size()) continue;
            std::uint32_t word = std::uint32_t(b[where]) << 24 | std::uint32_t(b[where + 1]) << 16 |
                                 std::uint32_t(b[where + 2]) << 8 | b[where + 3];
            if (anywhere || pick(0, 1) == 0) {
                word = 0xffe00000u | (static_cast<std::uint32_t>(rng_()) & 0x1fffffu);
            } else {
                // One field: version, layer, bitrate, sampling index, padding, mode or extension.
                static constexpr struct {
                    int shift, bits;
                } kFields[] = {{19, 2}, {17, 2}, {12, 4}, {10, 2}, {9, 1}, {6, 2}, {4, 2}};
                const auto& f = kFields[pick(0, 6)];
                const std::uint32_t mask = ((1u << f.bits) - 1) << f.shift;
                word = (word & ~mask) | ((static_cast<std::uint32_t>(rng_()) << f.shift) & mask);
            }
            for (int i = 0; i < 4; ++i)
                b[where + i] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
        }
    }
    // An ID3v2 tag in front whose size is random (often larger than the file, or with the top
    // bits of its size bytes set), with random bytes inside.
    Bytes bogusTag(const Bytes& b) {
        Bytes out = {'I', 'D', '3', std::uint8_t(pick(2, 4)), 0, byte()};
        for (int i = 0; i < 4; ++i)
            out.push_back(pick(0, 1) ? byte() : std::uint8_t(byte() & 0x7f));
        for (int i = pick(0, 300); i > 0; --i) out.push_back(byte());
        out.insert(out.end(), b.begin(), b.end());
        return out;
    }

    std::mt19937 rng_;
};

}  // namespace velt::mp3::sweep

#include "mpeg/layer3/huffman_decoder.h"

#include <algorithm>
#include <vector>

#include "mpeg/simd_path.h"

namespace velt::mpeg::layer3 {
namespace {

// A binary tree built from a code table: node n has children child[2n] (bit 0) and
// child[2n + 1] (bit 1); a child above 0 is a node index, below 0 a leaf holding
// -(value + 1), and 0 no code.
struct HuffmanTree {
    std::vector<int> child;

    int size = 1;  // values per row of the code's table

    explicit HuffmanTree(const HuffmanCode& code) : child(2, 0), size(code.size) {
        const size_t count = static_cast<size_t>(code.size * code.size);
        for (size_t value = 0; value < count; ++value) {
            const int length = code.lengths[value];
            int node = 0;
            for (int bit = length - 1; bit >= 0; --bit) {
                const size_t slot =
                    static_cast<size_t>(node * 2) + ((code.codes[value] >> bit) & 1u);
                if (bit == 0) {
                    child[slot] = -static_cast<int>(value) - 1;
                } else {
                    if (child[slot] <= 0) {
                        child[slot] = static_cast<int>(child.size() / 2);
                        child.resize(child.size() + 2, 0);
                    }
                    node = child[slot];
                }
            }
        }
        buildPrefixes();
    }

    // The walk through the tree as look-up tables: the root table takes up to 8 bits at once;
    // a pattern that ends on an inner node leads on to that node's own table, which takes the
    // next bits the same way. Each entry says where the walk stops (a value, a missing code,
    // or a further table) and how many bits it took: the same result and the same bits as
    // walking one bit at a time.
    static constexpr int kTableBits = 8;
    enum class Stop : uint8_t { Value, NoCode, Table };
    struct Entry {
        int result = -1;  // the value, or the first entry of the next table
        uint8_t bits = 0;
        Stop stop = Stop::NoCode;
        uint8_t nextBits = 0;  // index width of the next table
        uint8_t pair = 0;      // a value's x and y as x x 16 + y: no division per pair
    };
    std::vector<Entry> entries;
    int rootBits = 1;

    int height(int node) const {
        int h = 0;
        for (int bit = 0; bit < 2; ++bit) {
            const int next = child[static_cast<size_t>(node * 2 + bit)];
            h = std::max(h, 1 + (next > 0 ? height(next) : 0));
        }
        return h;
    }

    // Appends the table of `node` and returns where it starts.
    int buildTable(int node, int width) {
        const int first = static_cast<int>(entries.size());
        entries.resize(entries.size() + (size_t{1} << width));
        for (int p = 0; p < (1 << width); ++p) {
            int at = node;
            Entry e{-1, static_cast<uint8_t>(width), Stop::Table, 0, 0};
            for (int depth = 0; depth < width; ++depth) {
                const int bit = (p >> (width - 1 - depth)) & 1;
                const int next = child[static_cast<size_t>(at * 2 + bit)];
                if (next <= 0) {
                    const int value = next < 0 ? -next - 1 : -1;
                    const uint8_t pair =
                        value < 0 ? 0 : static_cast<uint8_t>((value / size) << 4 | value % size);
                    e = {value, static_cast<uint8_t>(depth + 1),
                         next < 0 ? Stop::Value : Stop::NoCode, 0, pair};
                    break;
                }
                at = next;
            }
            if (e.stop == Stop::Table) {
                const int nextWidth = std::min(kTableBits, height(at));
                const int sub = buildTable(at, nextWidth);
                e.result = sub;
                e.nextBits = static_cast<uint8_t>(nextWidth);
            }
            entries[static_cast<size_t>(first + p)] = e;
        }
        return first;
    }

    int longestCode = 0;

    void buildPrefixes() {
        longestCode = height(0);
        rootBits = std::min(kTableBits, longestCode);
        buildTable(0, rootBits);
    }

    // Decodes the code word that starts `used` bits into `window`; `used` grows by its length.
    int decode(uint64_t window, int& used) const {
        const Entry* e = &entries[(window << used) >> (64 - rootBits)];
        while (e->stop == Stop::Table) {
            used += e->bits;
            e = &entries[static_cast<size_t>(e->result) +
                         static_cast<size_t>((window << used) >> (64 - e->nextBits))];
        }
        used += e->bits;
        return e->stop == Stop::Value ? e->result : -1;
    }

    // The same for a pair: x x 16 + y, or -1.
    int decodePair(uint64_t window, int& used) const {
        const Entry* e = &entries[(window << used) >> (64 - rootBits)];
        while (e->stop == Stop::Table) {
            used += e->bits;
            e = &entries[static_cast<size_t>(e->result) +
                         static_cast<size_t>((window << used) >> (64 - e->nextBits))];
        }
        used += e->bits;
        return e->stop == Stop::Value ? e->pair : -1;
    }

    // The common case in one look-up: the next kFastBits bits, when they hold a whole code word
    // and the sign bits of its non-zero values, give the signed pair (or quadruple) and the bits
    // it took; `bits` 0 sends the decoder the long way (a longer code, or an escape to follow).
    static constexpr int kFastBits = 10;
    struct FastPair {
        int8_t x = 0;
        int8_t y = 0;
        uint8_t bits = 0;
    };
    struct FastQuad {
        int8_t v[4] = {};
        uint8_t bits = 0;
    };
    std::vector<FastPair> fastPairs;
    std::vector<FastQuad> fastQuads;

    // The value whose code word starts the pattern, and its length; -1 when none fits.
    int leafOf(uint32_t pattern, int& length) const {
        int at = 0;
        for (int depth = 0; depth < kFastBits; ++depth) {
            const int bit = (pattern >> (kFastBits - 1 - depth)) & 1;
            const int next = child[static_cast<size_t>(at * 2 + bit)];
            if (next < 0) {
                length = depth + 1;
                return -next - 1;
            }
            if (next == 0) return -1;
            at = next;
        }
        return -1;
    }

    // `escapes`: a value of 15 is followed by linbits (then it takes the long way).
    void buildFastPairs(bool escapes) {
        fastPairs.assign(size_t{1} << kFastBits, FastPair{});
        for (uint32_t p = 0; p < (1u << kFastBits); ++p) {
            int length = 0;
            const int value = leafOf(p, length);
            if (value < 0) continue;
            int xy[2] = {value / size, value % size};
            if (escapes && (xy[0] == 15 || xy[1] == 15)) continue;
            int used = length;
            for (int& v : xy) {
                if (v == 0) continue;
                if (used >= kFastBits) {
                    used = kFastBits + 1;
                    break;
                }
                if ((p >> (kFastBits - 1 - used)) & 1) v = -v;
                ++used;
            }
            if (used > kFastBits) continue;
            fastPairs[p] = {static_cast<int8_t>(xy[0]), static_cast<int8_t>(xy[1]),
                            static_cast<uint8_t>(used)};
        }
    }

    // Quadruples: at most 6 bits of code and 4 signs, so every pattern that starts with a code
    // word gets its entry.
    void buildFastQuads() {
        fastQuads.assign(size_t{1} << kFastBits, FastQuad{});
        for (uint32_t p = 0; p < (1u << kFastBits); ++p) {
            int length = 0;
            const int value = leafOf(p, length);
            if (value < 0) continue;
            FastQuad q;
            int used = length;
            bool fits = true;
            for (int i = 0; i < 4; ++i) {
                int v = (value >> (3 - i)) & 1;
                if (v != 0) {
                    if (used >= kFastBits) {
                        fits = false;
                        break;
                    }
                    if ((p >> (kFastBits - 1 - used)) & 1) v = -v;
                    ++used;
                }
                q.v[i] = static_cast<int8_t>(v);
            }
            if (!fits) continue;
            q.bits = static_cast<uint8_t>(used);
            fastQuads[p] = q;
        }
    }

    int decode(MainDataBits& bits) const {
        int used = 0;
        const int value = decode(bits.window(), used);
        bits.skip(used);
        return value;
    }
};

// The trees of every distinct code, built once and never changed.
const HuffmanTree& treeFor(const HuffmanCode& code) {
    struct Trees {
        std::vector<const HuffmanCode*> codes;
        std::vector<HuffmanTree> trees;
        Trees() {
            auto add = [this](const HuffmanCode* c) {
                if (c && std::find(codes.begin(), codes.end(), c) == codes.end()) {
                    codes.push_back(c);
                    trees.emplace_back(*c);
                }
            };
            for (int t = 0; t < kBigValuesTableCount; ++t) add(bigValuesTable(t).code);
            const std::size_t pairCodes = trees.size();
            add(&count1Code(0));
            add(&count1Code(1));
            // A code shared by tables with and without escapes takes escapes into account.
            for (std::size_t i = 0; i < pairCodes; ++i) {
                bool escapes = false;
                for (int t = 0; t < kBigValuesTableCount; ++t) {
                    escapes |= bigValuesTable(t).code == codes[i] && bigValuesTable(t).linbits > 0;
                }
                trees[i].buildFastPairs(escapes);
            }
            for (std::size_t i = pairCodes; i < trees.size(); ++i) trees[i].buildFastQuads();
        }
    };
    static const Trees all;
    const auto it = std::find(all.codes.begin(), all.codes.end(), &code);
    return all.trees[static_cast<size_t>(it - all.codes.begin())];
}

// Bits of MainDataBits::window() that are always valid: 64 less up to 7 of a partly read byte.
constexpr int kWindowBits = 57;

// The next n bits of the window after `used` bits (n from 1 to 32); `used` grows by n.
inline int take(uint64_t window, int& used, int n) {
    const int value = static_cast<int>((window << used) >> (64 - n));
    used += n;
    return value;
}

// A magnitude given its sign bit from the window (a zero has none). Without branches: signs
// are random, so a branch on them is mispredicted half the time.
inline int signedValue(uint64_t window, int& used, int magnitude) {
    const int present = magnitude != 0;
    const int negative = static_cast<int>((window << used) >> 63) & present;
    used += present;
    return (magnitude ^ -negative) + negative;
}

}  // namespace

int decodeHuffmanValue(MainDataBits& bits, const HuffmanCode& code) {
    return treeFor(code).decode(bits);
}

namespace {

[[gnu::always_inline]] inline int decodeLines(MainDataBits& bits, const GranuleChannel& gc,
                                              size_t endBit,
                                              std::array<int, kGranuleLines>& values) {
    values.fill(0);
    const int bigEnd = std::min(gc.bigValues * 2, kGranuleLines);
    const int regionEnd[3] = {std::min(gc.region1Start, bigEnd), std::min(gc.region2Start, bigEnd),
                              bigEnd};
    int line = 0;
    for (int region = 0; region < 3; ++region) {
        const BigValuesTable& table = bigValuesTable(gc.tableSelect[static_cast<size_t>(region)]);
        if (!table.code) {  // table 0 codes only zero pairs, with no bits
            line = std::max(line, regionEnd[region]);
            continue;
        }
        const HuffmanCode& code = *table.code;
        const HuffmanTree& tree = treeFor(code);  // looked up once per region, not per pair
        // The bits one pair can take: its code word, two escapes and two signs.
        const int pairBits = tree.longestCode + 2 * (table.linbits + 1);
        const int end = regionEnd[region];
        while (line < end) {
            if (bits.position() >= endBit) return line;
            // Pairs are decoded from one window for as long as it surely holds the next one
            // whole (57 of its bits are always valid); `used` counts the bits taken so far.
            // `budget` is what is left of the granule's bits; `lastStart` the last count of
            // used bits at which the window still holds a whole pair that may start.
            const uint64_t window = bits.window();
            const int budget =
                static_cast<int>(std::min<size_t>(endBit - bits.position(), kWindowBits));
            const int lastStart = std::min(kWindowBits - pairBits, budget - 1);
            int used = 0;
            do {
                const HuffmanTree::FastPair& fast =
                    tree.fastPairs[(window << used) >> (64 - HuffmanTree::kFastBits)];
                if (fast.bits != 0) {
                    used += fast.bits;
                    if (used > budget) {
                        bits.skip(used);
                        return line;
                    }
                    values[static_cast<size_t>(line)] = fast.x;
                    values[static_cast<size_t>(line) + 1] = fast.y;
                    line += 2;
                    continue;
                }
                const int pair = tree.decodePair(window, used);
                if (pair < 0) {
                    bits.skip(used);
                    return line;
                }
                int x = pair >> 4;
                int y = pair & 15;
                if (table.linbits && x == 15) x += take(window, used, table.linbits);
                x = signedValue(window, used, x);
                if (table.linbits && y == 15) y += take(window, used, table.linbits);
                y = signedValue(window, used, y);
                if (used > budget) {
                    bits.skip(used);
                    return line;
                }
                values[static_cast<size_t>(line)] = x;
                values[static_cast<size_t>(line) + 1] = y;
                line += 2;
            } while (line < end && used <= lastStart);
            bits.skip(used);
        }
    }
    line = std::max(line, bigEnd);

    const HuffmanTree& quads = treeFor(count1Code(gc.count1TableSelect));
    const int quadBits = quads.longestCode + 4;
    while (line + 4 <= kGranuleLines && bits.position() < endBit) {
        const uint64_t window = bits.window();
        const int budget =
            static_cast<int>(std::min<size_t>(endBit - bits.position(), kWindowBits));
        const int lastStart = std::min(kWindowBits - quadBits, budget - 1);
        int used = 0;
        do {
            const HuffmanTree::FastQuad& fast =
                quads.fastQuads[(window << used) >> (64 - HuffmanTree::kFastBits)];
            if (fast.bits != 0) {
                used += fast.bits;
                if (used > budget) {
                    bits.skip(used);
                    return line;
                }
                for (int i = 0; i < 4; ++i) values[static_cast<size_t>(line + i)] = fast.v[i];
                line += 4;
                continue;
            }
            const int index = quads.decode(window, used);
            if (index < 0) {
                bits.skip(used);
                return line;
            }
            int quad[4];
            for (int i = 0; i < 4; ++i) quad[i] = signedValue(window, used, (index >> (3 - i)) & 1);
            if (used > budget) {
                bits.skip(used);
                return line;
            }
            for (int i = 0; i < 4; ++i) values[static_cast<size_t>(line + i)] = quad[i];
            line += 4;
        } while (line + 4 <= kGranuleLines && used <= lastStart);
        bits.skip(used);
    }
    return line;
}

// Built for x86-64-v3 (whose shifts by a register take no flags) and for the baseline
// processor on x86-64 (simd_path.h chooses).
#ifdef VELT_SIMD_DISPATCH
VELT_V3 int decodeLinesV3(MainDataBits& bits, const GranuleChannel& gc, size_t endBit,
                          std::array<int, kGranuleLines>& values) {
    return decodeLines(bits, gc, endBit, values);
}
#endif

}  // namespace

int decodeSpectrum(MainDataBits& bits, const GranuleChannel& gc, size_t endBit,
                   std::array<int, kGranuleLines>& values) {
#ifdef VELT_SIMD_DISPATCH
    if (useV3Build()) return decodeLinesV3(bits, gc, endBit, values);
#endif
    return decodeLines(bits, gc, endBit, values);
}

}  // namespace velt::mpeg::layer3

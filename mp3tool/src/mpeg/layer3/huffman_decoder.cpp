#include "mpeg/layer3/huffman_decoder.h"

#include <algorithm>
#include <vector>

namespace velt::mpeg::layer3 {
namespace {

// A binary tree built from a code table: node n has children child[2n] (bit 0) and
// child[2n + 1] (bit 1); a child above 0 is a node index, below 0 a leaf holding
// -(value + 1), and 0 no code.
struct HuffmanTree {
    std::vector<int> child;

    explicit HuffmanTree(const HuffmanCode& code) : child(2, 0) {
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

    // The walk from the root over every 8-bit prefix, done once: where it ends (a value, a
    // missing code, or the node reached after 8 bits) and how many bits it took.
    static constexpr int kPrefixBits = 8;
    enum class Stop : uint8_t { Value, NoCode, Node };
    struct Prefix {
        Stop stop = Stop::Node;
        uint8_t bits = 0;
        int result = 0;  // the value, or the node to go on from
    };
    std::vector<Prefix> prefixes;

    void buildPrefixes() {
        prefixes.resize(size_t{1} << kPrefixBits);
        for (size_t p = 0; p < prefixes.size(); ++p) {
            Prefix& e = prefixes[p];
            int node = 0;
            e = {Stop::Node, kPrefixBits, 0};
            for (int depth = 0; depth < kPrefixBits; ++depth) {
                const size_t bit = (p >> (kPrefixBits - 1 - depth)) & 1u;
                const int next = child[static_cast<size_t>(node * 2) + bit];
                if (next <= 0) {
                    e = {next < 0 ? Stop::Value : Stop::NoCode, static_cast<uint8_t>(depth + 1),
                         next < 0 ? -next - 1 : -1};
                    break;
                }
                node = next;
                e.result = node;
            }
        }
    }

    // The same as walking the tree bit by bit from the root: the first 8 steps come from the
    // prefix table.
    int decode(MainDataBits& bits) const {
        const Prefix& e = prefixes[bits.peek(kPrefixBits)];
        bits.skip(e.bits);
        if (e.stop != Stop::Node) return e.result;
        int node = e.result;
        for (int depth = kPrefixBits; depth < 24; ++depth) {
            const int next = child[static_cast<size_t>(node * 2) + bits.readBit()];
            if (next < 0) return -next - 1;
            if (next == 0) return -1;
            node = next;
        }
        return -1;
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
            add(&count1Code(0));
            add(&count1Code(1));
        }
    };
    static const Trees all;
    const auto it = std::find(all.codes.begin(), all.codes.end(), &code);
    return all.trees[static_cast<size_t>(it - all.codes.begin())];
}

int signedValue(MainDataBits& bits, int magnitude) {
    if (magnitude == 0) return 0;
    return bits.readBit() ? -magnitude : magnitude;
}

}  // namespace

int decodeHuffmanValue(MainDataBits& bits, const HuffmanCode& code) {
    return treeFor(code).decode(bits);
}

int decodeSpectrum(MainDataBits& bits, const GranuleChannel& gc, size_t endBit,
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
        while (line < regionEnd[region]) {
            if (bits.position() >= endBit) return line;
            const int index = tree.decode(bits);
            if (index < 0) return line;
            // Most tables are 16 x 16: a shift and a mask in place of a division.
            const bool sixteen = code.size == 16;
            int x = sixteen ? index >> 4 : index / code.size;
            int y = sixteen ? index & 15 : index % code.size;
            if (table.linbits && x == 15) x += static_cast<int>(bits.read(table.linbits));
            x = signedValue(bits, x);
            if (table.linbits && y == 15) y += static_cast<int>(bits.read(table.linbits));
            y = signedValue(bits, y);
            if (bits.position() > endBit) return line;
            values[static_cast<size_t>(line)] = x;
            values[static_cast<size_t>(line) + 1] = y;
            line += 2;
        }
    }
    line = std::max(line, bigEnd);

    const HuffmanTree& quads = treeFor(count1Code(gc.count1TableSelect));
    while (line + 4 <= kGranuleLines && bits.position() < endBit) {
        const int index = quads.decode(bits);
        if (index < 0) break;
        int quad[4];
        for (int i = 0; i < 4; ++i) quad[i] = signedValue(bits, (index >> (3 - i)) & 1);
        if (bits.position() > endBit) break;
        for (int i = 0; i < 4; ++i) values[static_cast<size_t>(line + i)] = quad[i];
        line += 4;
    }
    return line;
}

}  // namespace velt::mpeg::layer3

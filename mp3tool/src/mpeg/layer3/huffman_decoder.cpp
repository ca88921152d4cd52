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
    }

    int decode(MainDataBits& bits) const {
        int node = 0;
        for (int depth = 0; depth < 24; ++depth) {
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
        while (line < regionEnd[region]) {
            if (bits.position() >= endBit) return line;
            const int index = decodeHuffmanValue(bits, code);
            if (index < 0) return line;
            int x = index / code.size;
            int y = index % code.size;
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

    const HuffmanCode& quads = count1Code(gc.count1TableSelect);
    while (line + 4 <= kGranuleLines && bits.position() < endBit) {
        const int index = decodeHuffmanValue(bits, quads);
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

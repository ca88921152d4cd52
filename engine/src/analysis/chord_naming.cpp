#include "analysis/chord_naming.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace velt::engine {

namespace {

struct ChordRow {
    std::array<int, 24> rootOffset;
    std::array<int, 24> third;
};

// Candidates in order of preference, from the key's own triads to the remote ones.
constexpr ChordRow kMajorRow{
    {0, 7, 5, 9, 4, 2, 0, 7, 5, 10, 9, 4, 2, 11, 8, 3, 8, 10, 1, 1, 11, 6, 3, 6},
    {4, 4, 4, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 3, 4, 4, 3, 3, 4, 3, 4, 3, 3, 4}};
constexpr ChordRow kMinorRow{
    {0, 7, 5, 8, 3, 10, 5, 0, 7, 8, 2, 1, 10, 3, 9, 4, 4, 1, 11, 11, 2, 6, 9, 6},
    {3, 3, 3, 4, 4, 4, 4, 4, 4, 3, 3, 4, 3, 3, 3, 3, 4, 3, 4, 3, 4, 4, 4, 3}};

constexpr std::array<int, 5> kExtensionInterval{2, 5, 9, 10, 11};
constexpr std::array<const char*, 6> kExtensionSuffix{"", "2", "4", "6", "7", "M7"};
constexpr std::array<const char*, 12> kFlatNames{"C",  "Db", "D",  "Eb", "E",  "F",
                                                 "Gb", "G",  "Ab", "A",  "Bb", "B"};
constexpr std::array<const char*, 12> kSharpNames{"C",  "C#", "D",  "D#", "E",  "F",
                                                  "F#", "G",  "G#", "A",  "A#", "B"};
// Major tonic pitch class by key signature -7..7.
constexpr std::array<int, 15> kTonicBySignature{11, 6, 1, 8, 3, 10, 5, 0, 7, 2, 9, 4, 11, 6, 1};

int modulo12(int value) {
    return ((value % 12) + 12) % 12;
}

int tonicOf(int keySignature, int minor) {
    int tonic = keySignature >= -7 && keySignature <= 7 ? kTonicBySignature[keySignature + 7] : 0;
    return minor ? modulo12(tonic + 9) : tonic;
}

}  // namespace

std::array<int64_t, 12> RingHistogram(std::span<const HistoryCell> history, int lastSlot,
                                      int keyMin, int topKey) {
    std::array<int64_t, 12> h{};
    for (int slot = 0; slot <= lastSlot; ++slot)
        for (int k = keyMin; k <= topKey; ++k)
            h[k % 12] += history[size_t(k) * kSlotCount + slot].level;
    return h;
}

std::string ChordName(const std::array<int64_t, 12>& h, int keySignature, int minor,
                      int transpose) {
    __int128 n = 0;
    __int128 squares = 0;
    for (int64_t v : h) {
        n += v;
        squares += static_cast<__int128>(v) * v;
    }
    // D = 12 S - n^2 is 0 when every class holds the same amount: nothing to name.
    __int128 spread = 12 * squares - n * n;
    if (n == 0 || spread <= 0) return "N/C";
    double nd = static_cast<double>(n);
    double A = std::sqrt(27 * static_cast<double>(spread));
    double B = std::sqrt(32 * static_cast<double>(spread));

    const ChordRow& row = minor ? kMinorRow : kMajorRow;
    int tonic = tonicOf(keySignature, minor);
    double best = -1.0;
    int bestRoot = -1;
    int bestThird = 0;
    int bestExtension = 0;
    for (int c = 0; c < 24; ++c) {
        int r = modulo12(tonic + row.rootOffset[c]);
        int t = row.third[c];
        double Q = static_cast<double>(h[r]) + static_cast<double>(h[(r + t) % 12]) +
                   static_cast<double>(h[(r + 7) % 12]);
        double score = (12 * Q - 3 * nd) / A;
        if (score > best) {
            best = score;
            bestRoot = r;
            bestThird = t;
            bestExtension = 0;
        }
        for (int e = 0; e < 5; ++e) {
            double withExtension = Q + static_cast<double>(h[(r + kExtensionInterval[e]) % 12]);
            score = (12 * withExtension - 4 * nd) / B;
            if (score > best) {
                best = score;
                bestRoot = r;
                bestThird = t;
                bestExtension = e + 1;
            }
        }
    }
    if (bestRoot < 0) return "N/C";
    int named = modulo12(transpose + bestRoot);
    std::string text = keySignature >= 0 ? kSharpNames[named] : kFlatNames[named];
    if (bestThird == 3) text += "m";
    text += kExtensionSuffix[bestExtension];
    return text;
}

void NameRingChord(const ChordNamingParams& params, std::span<const HistoryCell> history,
                   int lastSlot, std::array<int64_t, 12>& totals, std::string& chordText) {
    if (!params.enabled) return;
    const std::array<int64_t, 12> h =
        RingHistogram(history, std::min(lastSlot, kSlotCount - 1), std::max(params.keyMin, 0),
                      std::min(params.topKey, kKeyCount - 1));
    if (params.keyTotals)
        for (int i = 0; i < 12; ++i) totals[i] += h[i];
    if (params.nameChord)
        chordText = ChordName(h, params.keySignature, params.minor, params.transpose);
}

}  // namespace velt::engine

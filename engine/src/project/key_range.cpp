#include "project/key_range.h"

#include <algorithm>
#include <cmath>

namespace velt::engine {

namespace {

// Tonic pitch class of the major key with -7..7 sharps (+) or flats (-).
constexpr int kTonicBySignature[15] = {11, 6, 1, 8, 3, 10, 5, 0, 7, 2, 9, 4, 11, 6, 1};
constexpr int kMajorScaleMask[12] = {1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1};

constexpr int kDefaultKeyMin = 28;
constexpr int kDefaultKeyMax = 85;
// Filter templates cover keys 21..108: a filter run stays inside them.
constexpr int kLowestFilterKey = 21;
constexpr int kHighestFilterKey = 108;

bool hasSignature(const ProjectSettings& s) {
    return s.KeySignature >= -7 && s.KeySignature <= 7;
}

bool constrained(const ProjectSettings& s) {
    return hasSignature(s) && s.Constrain == 1 && s.PitchMode != 0;
}

}  // namespace

int NyquistKey(double sampleRate, double referencePitch) {
    double key = std::floor(12 * std::log2((sampleRate / 2) / referencePitch) + 69);
    return int(std::clamp(key, -1000.0, 1000.0));
}

void ResolveKeyRange(ProjectSettings& s, Geometry& g) {
    const int nyquist = NyquistKey(g.sampleRate, s.ReferencePitch);
    if (s.KeyMin == kKeyNotGiven) s.KeyMin = kDefaultKeyMin;
    const int highest = g.filterInUse ? kHighestFilterKey : 127;
    s.KeyMin = std::clamp(s.KeyMin, g.filterInUse ? kLowestFilterKey : 1, highest);
    if (s.KeyMax == kKeyNotGiven) {
        s.KeyMax = (g.singleKeyMode && !g.filterInUse) ? s.KeyMin : kDefaultKeyMax;
    }
    s.KeyMax = std::min(std::max(s.KeyMax, s.KeyMin), highest);
    if (s.PitchMode > 0) s.KeyMax = std::min(s.KeyMax, nyquist);
    g.TopKey = g.filterInUse ? std::min(s.KeyMax, kHighestFilterKey) : s.KeyMax;
    if (s.KeyMin0 == kKeyNotGiven) s.KeyMin0 = s.KeyMin;
    s.KeyMin0 = std::max(s.KeyMin0, s.KeyMin);
    if (s.KeyMax0 == kKeyNotGiven) s.KeyMax0 = s.KeyMax;
    s.KeyMax0 = std::min({std::max(s.KeyMax0, s.KeyMin0), g.TopKey, nyquist});
}

void SettleKeyConstraint(ProjectSettings& s) {
    if (s.KeySignature == 8) {
        s.Constrain = 0;
        s.MajorMinor = 0;
    }
    if (constrained(s)) s.AutoDetectKey = 0;
}

std::vector<uint8_t> KeyMask(const ProjectSettings& s, bool singleKeyMode, size_t keyCount) {
    std::vector<uint8_t> enabled(keyCount, 0);
    auto enable = [&](int key, uint8_t on) {
        if (key >= 0 && size_t(key) < keyCount) enabled[size_t(key)] = on;
    };
    if (singleKeyMode) {
        enable(s.KeyMin, 1);
        return enabled;
    }
    const bool constrain = constrained(s);
    const int tonic = hasSignature(s) ? kTonicBySignature[s.KeySignature + 7] : 0;
    for (int k = s.KeyMin; k <= s.KeyMax; ++k) {
        enable(k, constrain ? uint8_t(kMajorScaleMask[((k - tonic) % 12 + 12) % 12]) : 1);
    }
    return enabled;
}

}  // namespace velt::engine

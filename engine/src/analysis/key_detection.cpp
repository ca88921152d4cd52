#include "analysis/key_detection.h"

namespace velt::engine {

namespace {

constexpr int kMajorScaleMask[12] = {1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1};
// Divisors per position above the tonic (0: the pitch class is not counted); a small divisor
// weighs a pitch class heavily.
constexpr int kMajorWeights[12] = {1, 0, 5, 0, 4, 3, 0, 2, 0, 3, 8, 5};
constexpr int kMinorWeights[12] = {1, 0, 5, 4, 0, 3, 0, 2, 3, 0, 5, 8};
// Key signature of the major key on each tonic pitch class C, Db, D, Eb, E, F, Gb, G, Ab, A, Bb, B.
constexpr int kSignatureByTonic[12] = {0, -5, 2, -3, 4, -1, -6, 1, -4, 3, -2, 5};

int64_t score(const std::array<int64_t, 12>& h, int tonic, const int (&weights)[12]) {
    int64_t sum = 0;
    for (int i = 0; i < 12; ++i) {
        if (weights[i] != 0) sum += h[(tonic + i) % 12] / weights[i];
    }
    return sum;
}

}  // namespace

DetectedKey DetectKey(const std::array<int64_t, 12>& h, int transpose) {
    int64_t best = -1;
    int64_t scaleSums[12];
    for (int r = 0; r < 12; ++r) {
        scaleSums[r] = 0;
        for (int i = 0; i < 12; ++i) {
            if (kMajorScaleMask[i]) scaleSums[r] += h[(r + i) % 12];
        }
        if (scaleSums[r] > best) best = scaleSums[r];
    }
    int64_t bestScore = -1;
    int tonic = 0;
    int mode = 0;
    for (int r = 0; r < 12; ++r) {
        if (scaleSums[r] != best) continue;
        int64_t major = score(h, r, kMajorWeights);
        if (major > bestScore) {
            bestScore = major;
            tonic = r;
            mode = 0;
        }
        int minorTonic = (r + 9) % 12;
        int64_t minor = score(h, minorTonic, kMinorWeights);
        if (minor > bestScore) {
            bestScore = minor;
            tonic = minorTonic;
            mode = 1;
        }
    }
    int pitchClass = ((tonic + 3 * mode + transpose) % 12 + 12) % 12;
    return {kSignatureByTonic[pitchClass], mode};
}

}  // namespace velt::engine

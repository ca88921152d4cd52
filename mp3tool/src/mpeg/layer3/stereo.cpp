#include "mpeg/layer3/stereo.h"

#include <cmath>
#include <numbers>

#include "mpeg/layer3/requantise.h"

namespace velt::mpeg::layer3 {
namespace {

constexpr float kInverseSqrt2 = static_cast<float>(1.0 / std::numbers::sqrt2);

// Per line: -1 not in the intensity region, -2 an illegal position, else the position.
using PositionMap = std::array<int, kGranuleLines>;

int shortTarget(int frequency, int window) {
    return (frequency / 6) * 18 + window * 6 + frequency % 6;
}

bool legal(const FrameFormat& format, int position, int maxValue) {
    if (format.lsf()) return position != maxValue;
    return position < 7;
}

// Long bands from `firstBand` up to `endBand` (exclusive) take their positions; the last band
// of the table, never coded, takes the position of the band before it.
void mapLongBands(const FrameFormat& format, const ScaleFactors& sf, const BandTable& bands,
                  int firstBand, int endBand, PositionMap& map) {
    for (int b = firstBand; b < endBand; ++b) {
        const size_t source = static_cast<size_t>(b == kLongBands - 1 ? b - 1 : b);
        const int position = sf.longBand[source];
        const int value = legal(format, position, sf.longMax[source]) ? position : -2;
        for (int i = bands.longStart[static_cast<size_t>(b)];
             i < bands.longStart[static_cast<size_t>(b) + 1]; ++i)
            map[static_cast<size_t>(i)] = value;
    }
}

void mapShortBands(const FrameFormat& format, const ScaleFactors& sf, const BandTable& bands,
                   const std::array<int, 3>& firstBand, PositionMap& map) {
    for (int w = 0; w < 3; ++w) {
        for (int b = firstBand[static_cast<size_t>(w)]; b < kShortBands; ++b) {
            const size_t source = static_cast<size_t>(b == kShortBands - 1 ? b - 1 : b);
            const int position = sf.shortBand[source][static_cast<size_t>(w)];
            const int value = legal(format, position, sf.shortMax[source]) ? position : -2;
            for (int f = bands.shortStart[static_cast<size_t>(b)];
                 f < bands.shortStart[static_cast<size_t>(b) + 1]; ++f)
                map[static_cast<size_t>(shortTarget(f, w))] = value;
        }
    }
}

// First short band of each window above the last non-zero line of that window.
std::array<int, 3> shortBounds(const BandTable& bands, const Spectrum& lines, int firstBand) {
    std::array<int, 3> bound{firstBand, firstBand, firstBand};
    for (int w = 0; w < 3; ++w) {
        for (int b = kShortBands - 1; b >= firstBand; --b) {
            bool nonzero = false;
            for (int f = bands.shortStart[static_cast<size_t>(b)];
                 f < bands.shortStart[static_cast<size_t>(b) + 1] && !nonzero; ++f)
                nonzero = lines[static_cast<size_t>(shortTarget(f, w))] != 0.0f;
            if (nonzero) {
                bound[static_cast<size_t>(w)] = b + 1;
                break;
            }
        }
    }
    return bound;
}

int longBound(const BandTable& bands, const Spectrum& lines, int endLine) {
    int last = -1;
    for (int i = endLine - 1; i >= 0; --i) {
        if (lines[static_cast<size_t>(i)] != 0.0f) {
            last = i;
            break;
        }
    }
    int band = 0;
    while (band < kLongBands && bands.longStart[static_cast<size_t>(band) + 1] <= last) ++band;
    return last < 0 ? 0 : band + 1;
}

void buildPositionMap(const FrameFormat& format, const GranuleChannel& right,
                      const ScaleFactors& sf, const BandTable& bands, const Spectrum& lines,
                      PositionMap& map) {
    map.fill(-1);
    if (!right.shortBlocks()) {
        mapLongBands(format, sf, bands, longBound(bands, lines, kGranuleLines), kLongBands, map);
        return;
    }
    if (!right.mixedBlock) {
        mapShortBands(format, sf, bands, shortBounds(bands, lines, 0), map);
        return;
    }
    const MixedSplit split = mixedSplit(bands);
    const int firstShort = split.firstShortBand;
    const std::array<int, 3> bounds = shortBounds(bands, lines, firstShort);
    const bool shortPartSilent =
        bounds[0] == firstShort && bounds[1] == firstShort && bounds[2] == firstShort;
    if (shortPartSilent) {
        // The bound lies in the long part: its upper long bands and every short band.
        mapLongBands(format, sf, bands, longBound(bands, lines, split.longLines), split.longBands,
                     map);
    }
    mapShortBands(format, sf, bands, bounds, map);
}

}  // namespace

void processStereo(const FrameFormat& format, const GranuleChannel& right,
                   const ScaleFactors& rightSf, const BandTable& bands, Spectrum& left,
                   Spectrum& rightLines) {
    const bool midSide = format.midSide();
    if (format.channels() != 2 || (!midSide && !format.intensity())) return;

    if (!format.intensity()) {
        // Mid/side alone: one plain pass over every line, which the compiler vectorises.
        for (size_t i = 0; i < kGranuleLines; ++i) {
            const float mid = left[i];
            const float side = rightLines[i];
            left[i] = (mid + side) * kInverseSqrt2;
            rightLines[i] = (mid - side) * kInverseSqrt2;
        }
        return;
    }

    PositionMap map;
    buildPositionMap(format, right, rightSf, bands, rightLines, map);

    // Intensity factors for the left and right channel by position.
    float mpeg1Left[7];
    float mpeg1Right[7];
    for (int p = 0; p < 7; ++p) {
        if (p == 6) {
            mpeg1Left[p] = 1.0f;
            mpeg1Right[p] = 0.0f;
            continue;
        }
        const double ratio = std::tan(p * std::numbers::pi / 12.0);
        mpeg1Left[p] = static_cast<float>(ratio / (1.0 + ratio));
        mpeg1Right[p] = static_cast<float>(1.0 / (1.0 + ratio));
    }
    const double lsfBase =
        (right.scalefacCompress & 1) ? std::numbers::sqrt2 / 2.0 : std::pow(2.0, -0.25);

    for (size_t i = 0; i < kGranuleLines; ++i) {
        const int position = map[i];
        if (position >= 0) {
            const float value = left[i];
            if (!format.lsf()) {
                left[i] = value * mpeg1Left[position];
                rightLines[i] = value * mpeg1Right[position];
            } else if (position == 0) {
                rightLines[i] = value;
            } else if (position & 1) {
                left[i] = value * static_cast<float>(std::pow(lsfBase, (position + 1) / 2));
                rightLines[i] = value;
            } else {
                rightLines[i] = value * static_cast<float>(std::pow(lsfBase, position / 2));
            }
        } else if (midSide) {
            const float mid = left[i];
            const float side = rightLines[i];
            left[i] = (mid + side) * kInverseSqrt2;
            rightLines[i] = (mid - side) * kInverseSqrt2;
        }
    }
}

}  // namespace velt::mpeg::layer3

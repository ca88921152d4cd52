#include "desk/settings/tempo_taps.h"

#include <algorithm>
#include <cmath>

#include "desk/settings/numbers.h"

namespace velt::desk {

TapGap ClassifyTapGap(int64_t gapMs) {
    if (gapMs <= 0) return TapGap::SameMillisecond;
    return gapMs > kLongestTapGapMs ? TapGap::TooLong : TapGap::Kept;
}

std::optional<double> TappedTempo(int64_t taps, int64_t spanMs) {
    if (taps < 2 || spanMs <= 0) return std::nullopt;
    const double bpm = static_cast<double>(taps - 1) / static_cast<double>(spanMs) * 60000.0;
    return std::clamp(bpm, static_cast<double>(kSlowestTempo), static_cast<double>(kFastestTempo));
}

int32_t TempoBoxNumber(double bpm) {
    return std::clamp(ToLong(bpm), kSlowestTempo, kFastestTempo);
}

void AppendTapGap(std::string& buffer, int64_t gapMs) {
    const auto gap = static_cast<uint16_t>(std::clamp<int64_t>(gapMs, 0, 65535));
    buffer += static_cast<char>(gap & 0xFF);
    buffer += static_cast<char>(gap >> 8);
}

TapPadding PadTapsToStart(float start, float tempo, int32_t beatsPerMeasure) {
    TapPadding out;
    out.start = start;
    if (!(tempo > 0) || !std::isfinite(tempo) || !std::isfinite(start)) return out;
    const float beat = 60.0f / tempo;
    const int32_t perStep = beatsPerMeasure > 0 ? beatsPerMeasure : 1;
    const float step = static_cast<float>(perStep) * beat;
    while (out.start > 0) {
        out.beats += perStep;
        out.start -= step;
    }
    float acc = 0;
    int64_t sum = 0;
    for (int32_t i = 0; i < out.beats; ++i) {
        acc += beat * 1000.0f;
        const int64_t gap = ToLong(acc) - sum;
        sum += gap;
        AppendTapGap(out.gaps, gap);
    }
    return out;
}

}  // namespace velt::desk

#include "tempo/auto_timing_meter.h"

#include <algorithm>
#include <cmath>

namespace velt::engine {

namespace {
constexpr int kNoteOn = 0x90;
}

void AutoTimingMeter::reset(int binCount) {
    *this = AutoTimingMeter();
    binCount_ = std::max(1, binCount);
    bins_.assign(static_cast<size_t>(binCount_), 0);
}

int64_t AutoTimingMeter::observe(int& delta, int status, int velocity) {
    counter_ += delta;
    if (beforeFirstNote_) delta = 0;
    if (status != kNoteOn) return 0;

    int64_t leading = 0;
    int64_t gap = 0;
    if (beforeFirstNote_) {
        beforeFirstNote_ = false;
        leading = counter_;
        counter_ = 0;
    } else {
        // Measured from the last note-on, not from the last event of any kind.
        gap = counter_ - lastNoteOn_;
    }
    lastNoteOn_ = counter_;

    if (gap > 0) advance(gap);
    if (inRing(current_)) bins_[static_cast<size_t>(current_)] += velocity;
    return leading;
}

void AutoTimingMeter::advance(int64_t ticks) {
    if (inRing(previous_) && inRing(current_)) {
        const int64_t weight =
            bins_[static_cast<size_t>(previous_)] * bins_[static_cast<size_t>(current_)];
        int64_t distance = current_ - previous_;
        if (distance < 1) distance += binCount_;
        weightSum_ += weight;
        intervalSum_ += weight * distance;
    }
    previous_ = current_;
    if (!inRing(current_)) {
        current_ += ticks;  // stays outside: no bin is touched again
        return;
    }
    const int64_t next = current_ + ticks;
    if (next < binCount_) {
        std::fill(bins_.begin() + current_ + 1, bins_.begin() + next + 1, 0);
        current_ = next;
    } else if (next < 2 * binCount_) {
        std::fill(bins_.begin() + current_ + 1, bins_.end(), 0);
        std::fill(bins_.begin(), bins_.begin() + (next - binCount_) + 1, 0);
        current_ = next - binCount_;
    } else {
        current_ = next;
    }
}

double AutoTimingMeter::meanInterval() const {
    return weightSum_ > 0 ? static_cast<double>(intervalSum_) / static_cast<double>(weightSum_) : 0;
}

TempoCorrection CorrectTempo(double tempo, const AutoTimingMeter& meter, double tickSeconds) {
    TempoCorrection correction;
    correction.tempo = tempo;
    if (!meter.hasMeasurement() || !(tempo > 0) || !(tickSeconds > 0)) return correction;
    const double measured = 60 / (meter.meanInterval() * tickSeconds);
    const double multiple = std::trunc(tempo / measured + 0.5);
    const double corrected =
        multiple != 0 ? multiple * measured : measured / std::trunc(measured / tempo + 0.5);
    correction.factor = tempo / corrected;
    correction.tempo = corrected;
    return correction;
}

}  // namespace velt::engine

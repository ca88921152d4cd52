#include "driver/status_cadence.h"

#include <algorithm>

namespace velt::engine {

bool StatusCadence::afterBlock(int64_t nowSeconds) {
    ++counter_;
    if (divisor_ > 0) return counter_ % divisor_ == 0;
    if (nowSeconds != lastSecond_) {
        if (firstSecondSeen_) {
            divisor_ = int(std::max<int64_t>(1, counter_ / 18));
        } else {
            firstSecondSeen_ = true;
            counter_ = 0;
        }
        lastSecond_ = nowSeconds;
    }
    return true;
}

}  // namespace velt::engine

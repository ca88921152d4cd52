// How often the block loop rewrites the status file: after every block during the first two
// wall-clock seconds, then about 18 times a second (every N-th block, N measured over one whole
// second as that second's block count / 18).
#pragma once

#include <cstdint>

namespace velt::engine {

class StatusCadence {
  public:
    // nowSeconds: the whole-second clock when the loop starts.
    explicit StatusCadence(int64_t nowSeconds) : lastSecond_(nowSeconds) {}

    // Counts one block at the given whole-second clock; true when the status is due.
    bool afterBlock(int64_t nowSeconds);

    int divisor() const { return divisor_; }

  private:
    int64_t counter_ = 0;
    bool firstSecondSeen_ = false;
    int divisor_ = 0;  // N; 0 until measured
    int64_t lastSecond_ = 0;
};

}  // namespace velt::engine

// Holds the process to a file size limit for the life of a test object, then restores it: a
// write past the limit fails with EFBIG ("File too large"), as a disk that fills up fails one,
// and SIGXFSZ is ignored meanwhile so the write fails instead of ending the test program.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace velt::test {

class ScopedFileSizeLimit {
  public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        held_ = getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved_;
        limited.rlim_cur = bytes;
        held_ = held_ && setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~ScopedFileSizeLimit() {
        if (held_) setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

    bool held() const { return held_; }  // the limit is in force

  private:
    struct rlimit saved_ {};
    void (*previous_)(int) = SIG_DFL;
    bool held_ = false;
};

}  // namespace velt::test

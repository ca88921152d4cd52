// The in-process input double for tests: devices whose captured samples the test hands over
// itself (deliver), with switches for the failures a caller must handle: an open that fails, a
// ring that cannot be allocated, a device that cannot report its position. All devices share one
// sample feed, so a test captures from one device at a time.
#pragma once

#include <span>
#include <vector>

#include "platform/wave_io/sample_ring.h"
#include "platform/wave_io/wave_in.h"

namespace velt::platform::wave_in {

class FakeWaveIn : public Devices {
  public:
    explicit FakeWaveIn(int32_t devices = 1) : devices_(devices) {}

    int32_t count() override { return devices_; }
    std::string name(int32_t id) override;
    int32_t open(int32_t id, const Format& format, std::unique_ptr<Capture>& capture) override;

    // Appends samples to what the open, started capture has captured (nothing happens otherwise).
    void deliver(std::span<const int16_t> samples);
    // The capture delivers nothing more.
    void finish() { finished_ = true; }

    int32_t openResult = NoError;  // every open answers this when not NoError
    bool ringFails = false;        // start answers NoMemory
    bool reportsPosition = true;   // false: position answers NotSupported
    int32_t opens = 0;             // opens that succeeded
    bool capturing = false;        // a capture is started and not stopped

  private:
    friend class FakeCapture;
    int32_t devices_;
    bool finished_ = false;
    SampleRing ring_;
};

}  // namespace velt::platform::wave_in

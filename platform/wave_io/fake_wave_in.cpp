#include "platform/wave_io/fake_wave_in.h"

namespace velt::platform::wave_in {

class FakeCapture : public Capture {
  public:
    FakeCapture(FakeWaveIn& owner, int32_t channels) : owner_(owner), channels_(channels) {}
    ~FakeCapture() override { owner_.capturing = false; }

    int32_t start(size_t ringSamples) override {
        if (owner_.ringFails || !owner_.ring_.allocate(ringSamples, channels_)) return NoMemory;
        owner_.capturing = true;
        return NoError;
    }
    bool position(int64_t& samples) override {
        samples = owner_.ring_.written();
        return owner_.reportsPosition;
    }
    bool done() override { return owner_.finished_; }
    bool read(int64_t first, std::span<int16_t> out) override {
        return owner_.ring_.read(first, out);
    }
    void stop() override { owner_.capturing = false; }

  private:
    FakeWaveIn& owner_;
    int32_t channels_;
};

std::string FakeWaveIn::name(int32_t id) {
    return "Fake Input " + std::to_string(id + 1);
}

int32_t FakeWaveIn::open(int32_t, const Format& format, std::unique_ptr<Capture>& capture) {
    if (openResult != NoError) return openResult;
    ++opens;
    finished_ = false;
    ring_.allocate(0, format.channels);
    capture = std::make_unique<FakeCapture>(*this, format.channels);
    return NoError;
}

void FakeWaveIn::deliver(std::span<const int16_t> samples) {
    if (capturing && !finished_) ring_.write(samples);
}

}  // namespace velt::platform::wave_in

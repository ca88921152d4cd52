#include "platform/outside/compressed_decoder.h"

#include <utility>

namespace velt::platform::outside {

CompressedDecoder::CompressedDecoder(DecoderFace face) : face_(face) {}

CompressedDecoder::~CompressedDecoder() {
    stop();
}

void CompressedDecoder::setProperty(int dispatchId, const std::string& value) {
    std::lock_guard lock(mutex_);
    if (dispatchId == face_.input) input_ = value;
    if (dispatchId == face_.output) output_ = value;
}

void CompressedDecoder::invoke(int dispatchId) {
    if (dispatchId == face_.start) start();
    if (dispatchId == face_.stop) stop();
}

std::vector<DecoderEvent> CompressedDecoder::takeEvents() {
    std::lock_guard lock(mutex_);
    return std::exchange(events_, {});
}

void CompressedDecoder::raise(DecoderEvent event) {
    std::lock_guard lock(mutex_);
    events_.push_back(event);
}

void CompressedDecoder::start() {
    stop();
    std::string input, output;
    {
        std::lock_guard lock(mutex_);
        input = input_;
        output = output_;
    }
    stopRequested_ = false;
    worker_ = std::thread([this, input, output] {
        auto progress = [this](double percent) {
            raise({DecoderEvent::Kind::Progress, percent, 0});
        };
        const long result =
            DecodeCompressed(input, output, face_.wmaOnly, progress, &stopRequested_);
        if (result == 0) raise({DecoderEvent::Kind::Progress, 100, 0});
        if (result > 0) raise({DecoderEvent::Kind::Error, 0, result});
    });
}

void CompressedDecoder::stop() {
    stopRequested_ = true;
    if (worker_.joinable()) worker_.join();
    std::lock_guard lock(mutex_);
    events_.clear();
}

}  // namespace velt::platform::outside

// One decode step: the codec decodes the next piece of the stream into a PCM buffer, the status
// record follows the input position, the output learns of format changes, and the PCM goes out.
#include <algorithm>
#include <new>

#include "framework/control_block.h"
#include "framework/error_codes.h"

namespace velt::mp3 {

void ControlBlock::updatePositionAndTime() {
    status_.position = std::min(byteFraction(input_.bytePosition), 1.0);
    double seconds = 0;
    if (status_.info.durationMs > 0) {
        seconds = static_cast<double>(status_.info.durationMs) * status_.position * 0.001;
    } else if (status_.info.bitRate > 0) {
        seconds = static_cast<double>(input_.bytePosition) / (status_.info.bitRate * 125.0);
    }
    status_.time = timeFromSeconds(seconds);
}

int ControlBlock::decodeStep() {
    if (!output_.open) {
        reportError(kInternalError, "internal error", "output not open");
        return kInternalError;
    }
    if (!input_.open) {
        reportError(kInternalError, "internal error", "input not open");
        return kInternalError;
    }
    if (!codec_.instance) return kNoCodec;

    const auto wanted = static_cast<std::size_t>(std::max(codec_.maxOutputBytes, 0));
    std::span<std::uint8_t> buffer = outputLink().bufferRequest(wanted);
    if (buffer.empty() || buffer.size() < wanted) {
        if (pcmBuffer_.size() < wanted) pcmBuffer_.resize(wanted);
        buffer = pcmBuffer_;
    }

    const int previousBytesPerSample = pcm_.bytesPerSample;
    const int previousChannels = pcm_.channels;
    const int previousRate = pcm_.sampleRate;
    pcm_.data = buffer;
    pcm_.bytesPerSample = 2;
    pcm_.samplesPerChannel = 0;
    status_.info.validFields = 0;

    int result = kOk;
    try {
        result = codec_.instance->decode(pcm_, status_.info);
    } catch (const FrameRejected&) {
        return kInvalidFrame;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (result != kOk) return result;

    updatePositionAndTime();

    int flags = 0;
    if (firstStepOfStream_ || pcm_.bytesPerSample != previousBytesPerSample) {
        flags |= kPcmBytesPerSampleChanged;
    }
    if (firstStepOfStream_ || pcm_.channels != previousChannels) {
        flags |= kPcmChannelsChanged | kPcmRateChanged;
    }
    if (firstStepOfStream_ || pcm_.sampleRate != previousRate) flags |= kPcmRateChanged;
    firstStepOfStream_ = false;
    pcm_.changeFlags = flags;
    if (flags != 0) {
        const OutputControls controls{pcm_.bytesPerSample, pcm_.sampleRate, pcm_.channels, {}};
        if (outputLink().setControls(&controls, flags) == kUnsupportedOutputType) {
            return kUnsupportedOutputType;
        }
    }

    if (output_.capabilities & kOutputHasDelay) {
        int delay = 0;
        pcm_.outputDelay = outputLink().delayQuery(delay) == 0 ? delay : 0;
    }

    if (pcm_.samplesPerChannel < 0 || pcm_.bytesPerSample < 0 || pcm_.channels < 0) {
        return kInternalError;
    }
    const std::uint64_t bytes = static_cast<std::uint64_t>(pcm_.samplesPerChannel) *
                                static_cast<std::uint64_t>(pcm_.bytesPerSample) *
                                static_cast<std::uint64_t>(pcm_.channels);
    // A codec that claims more than the buffer holds is refused rather than read past it.
    if (bytes > buffer.size()) return kInternalError;
    if (bytes > 0) {
        const std::int64_t written =
            outputLink().write(buffer.first(static_cast<std::size_t>(bytes)), pcm_.bytesPerSample,
                               pcm_.channels, pcm_.sampleRate);
        // Nothing taken is a failed write: decoding more would only fail again.
        if (written <= 0) return kWriteFailed;
        pcmBytesWritten_ += static_cast<std::uint64_t>(written);
    }
    return kOk;
}

}  // namespace velt::mp3

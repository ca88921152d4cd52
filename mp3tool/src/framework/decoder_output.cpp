// The output side of the control block: opening, closing and the control calls.
#include "framework/decoder.h"
#include "framework/error_codes.h"

namespace velt::mp3 {

int Decoder::openOutput() {
    if (output_.open) {
        reportError(kInternalError, "internal error", "output not closed");
        return kInternalError;
    }
    if (!output_.instance) {
        reportError(kInternalError, "internal error", "null output instance");
        return kInternalError;
    }
    const int result = output_.instance->open();
    if (result < 0) return result;
    pcm_.bytesPerSample = 0;
    pcm_.channels = 0;
    pcm_.sampleRate = 0;
    pcmBytesWritten_ = 0;
    output_.capabilities = output_.instance->capabilities();
    output_.open = true;
    return kOk;
}

int Decoder::closeOutput() {
    if (!output_.open) {
        reportError(kInternalError, "internal error", "output not open");
        return kInternalError;
    }
    output_.capabilities = kDefaultOutputCapabilities;
    output_.open = false;
    return output_.instance->close();
}

void Decoder::discardOutput() {
    output_.open = false;
    output_.capabilities = kDefaultOutputCapabilities;
    output_.instance.reset();
    output_.module = nullptr;
}

int Decoder::outputSetControls(const OutputControls* record, int mask) {
    if (!output_.open) {
        reportError(kInternalError, "internal error", "output not open");
        return kInternalError;
    }
    return output_.instance->setControls(record, mask);
}

int Decoder::outputGetControls(OutputControls* record, int mask) {
    if (!output_.open) {
        reportError(kInternalError, "internal error", "output not open");
        return kInternalError;
    }
    if (record == nullptr) {
        reportError(kInternalError, "internal error", "null control block");
        return kInternalError;
    }
    return output_.instance->getControls(*record, mask);
}

int Decoder::outputControl(int a, int b, int c) {
    if (!output_.instance) return -1;
    return output_.instance->control(a, b, c);
}

}  // namespace velt::mp3

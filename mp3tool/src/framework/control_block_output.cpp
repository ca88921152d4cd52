// The output side of the control block: opening, closing and the control calls.
#include "framework/control_block.h"
#include "framework/error_codes.h"

namespace velt::mp3 {

int ControlBlock::openOutput() {
    if (output_.open) {
        reportError(kInternalError, "internal error", "output not closed");
        return kInternalError;
    }
    if (!output_.instance) {
        reportError(kInternalError, "internal error", "null output instance");
        return kInternalError;
    }
    const int result = outputLink().open();
    if (result < 0) return result;
    pcm_.bytesPerSample = 0;
    pcm_.channels = 0;
    pcm_.sampleRate = 0;
    pcmBytesWritten_ = 0;
    output_.capabilities = outputLink().capabilities();
    output_.open = true;
    return kOk;
}

int ControlBlock::closeOutput() {
    if (!output_.open) {
        reportError(kInternalError, "internal error", "output not open");
        return kInternalError;
    }
    output_.capabilities = kDefaultOutputCapabilities;
    output_.open = false;
    return outputLink().close();
}

void ControlBlock::discardOutput() {
    output_.open = false;
    output_.capabilities = kDefaultOutputCapabilities;
    outputFilters_.setTerminal(nullptr);
    output_.instance.reset();
    output_.module = nullptr;
}

int ControlBlock::outputSetControls(const OutputControls* record, int mask) {
    if (!output_.open) {
        reportError(kInternalError, "internal error", "output not open");
        return kInternalError;
    }
    return outputLink().setControls(record, mask);
}

int ControlBlock::outputGetControls(OutputControls* record, int mask) {
    if (!output_.open) {
        reportError(kInternalError, "internal error", "output not open");
        return kInternalError;
    }
    if (record == nullptr) {
        reportError(kInternalError, "internal error", "null control block");
        return kInternalError;
    }
    return outputLink().getControls(*record, mask);
}

int ControlBlock::outputControl(int a, int b, int c) {
    if (!output_.instance) return -1;
    return outputLink().control(a, b, c);
}

}  // namespace velt::mp3

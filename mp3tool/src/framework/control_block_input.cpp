// The input side of the control block: opening (which chooses and starts the codec), closing,
// reading and seeking, with the byte position and the play time that follow the input.
#include <algorithm>
#include <array>
#include <limits>

#include "framework/control_block.h"
#include "framework/error_codes.h"

namespace velt::mp3 {

namespace {
// The record the codec's info fills at choice: its info word and its largest output.
constexpr int kCodecChoiceInfo = kInfoMaxOutput | kInfoKindWord;
}  // namespace

int ControlBlock::openInput() {
    if (input_.open) {
        reportError(kInternalError, "internal error", "input not closed");
        return kInternalError;
    }
    if (!input_.instance) {
        reportError(kInternalError, "internal error", "null input instance");
        return kInternalError;
    }
    status_ = StatusRecord{};
    streamProperties_.clear();
    input_.seekable = false;
    input_.size = 0;
    input_.bytePosition = 0;
    input_.streamType = "unknown";
    firstStepOfStream_ = true;

    const int opened = inputLink().open();
    if (opened < 0) return opened;
    input_.open = true;
    if (input_.size == 0) input_.size = inputLink().size();
    input_.seekable = inputLink().seekable();

    int result = chooseCodec();
    if (result < 0) {
        closeInput();
        return result;
    }
    result = codec_.instance->newStream(input_.streamType, input_.name);
    if (result < 0) {
        closeInput();
        return result;
    }
    if (input_.seekable) codec_.instance->probe(status_.info);
    return kOk;
}

int ControlBlock::chooseCodec() {
    const std::string_view type =
        input_.streamType.empty() ? std::string_view("audio/unknown") : input_.streamType;
    const Registered<CodecModule>* chosen = nullptr;
    for (auto it = codecModules_.rbegin(); it != codecModules_.rend(); ++it) {
        if ((*it)->module.query(type, input_.name) == 0) {
            chosen = it->get();
            break;
        }
    }
    if (chosen == nullptr) return kNoCodec;
    if (chosen == codec_.module && codec_.instance) return kOk;

    codec_.instance.reset();
    codec_.module = nullptr;
    const int result = chosen->module.create(codec_.instance, type, input_.name, *this);
    if (result < 0 || !codec_.instance) {
        codec_.instance.reset();
        return result < 0 ? result : kInternalError;
    }
    codec_.module = chosen;

    ModuleDescription description;
    chosen->module.info(description, kCodecChoiceInfo);
    codec_.infoWord = description.infoWord;
    codec_.maxOutputBytes = description.maxOutputBytes;
    codec_.instance->setOptions(options_, kOption1 | kOption2 | kOption3);
    return kOk;
}

int ControlBlock::closeInput() {
    if (!input_.open) {
        reportError(kInternalError, "internal error", "input not open");
        return kInternalError;
    }
    input_.seekable = false;
    input_.size = 0;
    input_.bytePosition = 0;
    input_.streamType = "unknown";
    const int result = inputLink().close();
    input_.open = false;
    if (codec_.instance) codec_.instance->streamClosed();
    return result;
}

std::int64_t ControlBlock::readInputSome(std::span<std::uint8_t> buffer) {
    if (!input_.open) {
        reportError(kInternalError, "internal error", "input not open");
        return kInternalError;
    }
    if (buffer.empty()) return 0;
    const std::int64_t got = inputLink().read(buffer);
    if (got < 0) return got;
    if (got == 0) return kEndOfStream;
    // A module never delivers more than it was asked for; a count beyond that is its fault.
    if (static_cast<std::uint64_t>(got) > buffer.size()) return kInternalError;
    input_.bytePosition += static_cast<std::uint64_t>(got);
    return got;
}

int ControlBlock::readInput(std::span<std::uint8_t> buffer) {
    const std::int64_t got = readInputSome(buffer);
    if (got < 0) return static_cast<int>(got);
    // A piece shorter than asked is the last one: the stream ends here for a whole-block reader.
    return static_cast<std::uint64_t>(got) == buffer.size() ? kOk : kEndOfStream;
}

double ControlBlock::byteFraction(std::uint64_t bytePosition) const {
    if (codec_.instance) {
        if (auto fraction = codec_.instance->byteToFraction(bytePosition)) return *fraction;
    }
    if (input_.size == 0) return 0;
    return static_cast<double>(bytePosition) / static_cast<double>(input_.size);
}

int ControlBlock::seekInput(std::uint64_t offset) {
    if (!input_.open) {
        reportError(kInternalError, "internal error", "input not open");
        return kInternalError;
    }
    if (!input_.seekable || input_.size == 0) return -1;
    offset = std::min(offset, input_.size);
    const int result = inputLink().seek(offset);
    if (result != 0) return result;
    input_.bytePosition = offset;
    status_.position = byteFraction(offset);
    status_.time =
        timeFromSeconds(static_cast<double>(status_.info.durationMs) * status_.position * 0.001);
    if (codec_.instance) codec_.instance->seekNotice(offset);
    return result;
}

int ControlBlock::seekInputFraction(double fraction) {
    if (!input_.open) {
        reportError(kInternalError, "internal error", "input not open");
        return kInternalError;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (codec_.instance) {
        if (auto mapped = codec_.instance->fractionToByte(fraction)) {
            fraction = std::clamp(*mapped, 0.0, 1.0);
        }
    }
    return seekInput(static_cast<std::uint64_t>(static_cast<double>(input_.size) * fraction));
}

int ControlBlock::seekInputSeconds(double seconds) {
    if (!(seconds > 0)) seconds = 0;
    const std::int64_t duration = status_.info.durationMs;
    const double fraction = duration > 0 ? seconds * 1000 / static_cast<double>(duration) : 0;
    return seekInputFraction(fraction);
}

int ControlBlock::seekInputTime(const TimeRecord* time) {
    if (time == nullptr) return kInvalidParameters;
    const double seconds =
        time->hundredths * 0.01 + time->minutes * 60.0 + time->hours * 3600.0 + time->seconds;
    return seekInputSeconds(seconds);
}

int ControlBlock::inputControl(int a, int b, int c) {
    if (!input_.instance) return -1;
    return inputLink().control(a, b, c);
}

int ControlBlock::flushCodec() {
    return codec_.instance ? codec_.instance->flush() : kOk;
}

}  // namespace velt::mp3

// Live runs: capture from the wave input device into a ring, the newest block of samples for
// each frame, and the notes sent at once to the MIDI output device.
#include "live/live_io.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/midi_file/smf_meta.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/wave_in.h"

namespace velt::engine {

using platform::smf::kTempoMeta;

namespace {

constexpr int kNoPosition = 98;  // the device cannot report how much it has captured
constexpr int kNoBuffer = 99;    // the capture buffer could not be allocated

void send(const LiveState& live, std::initializer_list<int> bytes) {
    const int32_t output = live.output;
    if (output == 0) return;
    uint32_t packed = 0;
    int shift = 0;
    for (int b : bytes) {
        packed |= uint32_t(b & 0xFF) << shift;
        shift += 8;
    }
    platform::midi_out::shortMessage(output, packed);
}

}  // namespace

void SendLiveEvent(const LiveState& live, const NoteMappingParams& mapping, int& delta, int status,
                   int data1, int data2, int channel) {
    if (channel < 0) return;  // no output channel: dropped
    // Chord names and tempo are file events; a device gets channel messages only.
    if (status == 0xFF || status == kTempoMeta) {
        delta = 0;
        return;
    }
    if (status == 0x90 || status == 0x80) {
        data1 = MidiNoteKey(mapping, data1, channel);
        data2 = MidiNoteVelocity(mapping, status, data2);
    }
    const int statusByte = (status & 0xF0) | (channel & 0x0F);
    if (data2 < 0) {
        send(live, {statusByte, std::clamp(data1, 0, 127)});
    } else {
        send(live, {statusByte, std::clamp(data1, 0, 127), std::clamp(data2, 0, 127)});
    }
    delta = 0;
}

void SendLiveProgram(const LiveState& live, const LivePart& part, int program) {
    const int channel = part.channel;
    if (channel < 0) return;
    if (channel == 9) {
        send(live, {0xC9, 0});
    } else {
        send(live, {0xC0 | channel, std::clamp(program, 0, 127)});
    }
}

int OpenLiveInput(LiveState& live, int device) {
    namespace wave_in = platform::wave_in;
    int error = wave_in::open(live.input, device, wave_in::kLiveFormat);
    if (error != wave_in::NoError) return error;
    error = wave_in::start(live.input, live.captureSamples);
    if (error == wave_in::NoMemory) return kNoBuffer;
    if (error != wave_in::NoError) return error;
    int64_t position = 0;
    if (wave_in::position(live.input, position) != wave_in::NoError) return kNoPosition;
    live.lastEnd = 0;
    return wave_in::NoError;
}

int OpenLiveOutput(LiveState& live, int device) {
    return platform::midi_out::open(live.output, device);
}

void SendLivePartSetup(const LiveState& live, const LivePart& part) {
    const int channel = part.channel;
    if (channel < 0) return;
    SendLiveProgram(live, part, part.program);
    send(live, {0xB0 | channel, 10, 64});
}

void WaitForLiveAudio(const LiveState& live, int64_t samples) {
    namespace wave_in = platform::wave_in;
    if (live.input == 0) return;
    auto timeOf = [](int64_t count) {
        return std::chrono::microseconds(std::max<int64_t>(count, 1) * 1000000 / 44100);
    };
    for (;;) {
        int64_t end = 0;
        if (wave_in::position(live.input, end) != wave_in::NoError) {
            std::this_thread::sleep_for(timeOf(samples));  // a lost device must not spin either
            return;
        }
        const int64_t missing = samples - (end - live.lastEnd);
        if (missing <= 0) return;
        bool done = false;
        wave_in::isDone(live.input, done);
        if (done) {
            std::this_thread::sleep_for(timeOf(samples));
            return;
        }
        std::this_thread::sleep_for(timeOf(missing));
    }
}

void ReserveLiveFrame(LiveState& live, const LiveFrameLayout& layout) {
    live.frame.reserve(size_t(std::max(layout.blockLength, 0)));
}

int ReadLiveSamples(LiveState& live, const LiveFrameLayout& layout, std::span<int> samples) {
    namespace wave_in = platform::wave_in;
    if (live.input == 0) return 0;
    sched_yield();
    const int64_t length = layout.blockLength;
    int64_t end = 0;
    wave_in::position(live.input, end);
    int64_t start = end - length;
    if (start < live.lastEnd || start < 0) {
        // Fewer new samples than a frame: the frame takes the newest samples again, unless the
        // device will deliver nothing more.
        bool done = false;
        wave_in::isDone(live.input, done);
        if (done && end <= live.lastEnd) return 0;
        wave_in::position(live.input, end);
        start = std::max<int64_t>(end - length, 0);
    }
    live.lastEnd = end;

    const int64_t count = end - start;
    live.frame.assign(size_t(count), 0);
    if (count > 0 && wave_in::read(live.input, end, live.frame) != wave_in::NoError) {
        std::fill(live.frame.begin(), live.frame.end(), 0);
    }
    const bool reversed = layout.reversed;
    int peak = 0;
    for (int64_t i = 0; i < length; ++i) {
        const int value = i < count ? live.frame[size_t(i)] : 0;
        const size_t at = reversed ? size_t(length - i) : size_t(i + 1);
        samples[at] = value;
        peak = std::max(peak, std::abs(value));
    }
    return peak;
}

void CloseLiveOutput(LiveState& live) {
    if (live.output == 0) return;
    platform::midi_out::reset(live.output);
    platform::midi_out::close(live.output);
    live.output = 0;
}

void CloseLiveInput(LiveState& live) {
    if (live.input == 0) return;
    platform::wave_in::stop(live.input);
    sched_yield();
    platform::wave_in::close(live.input);
    live.input = 0;
    live.frame = {};
}

}  // namespace velt::engine

// Header area, timing and variable-length quantities of the MIDI file (pure functions).
#include <algorithm>
#include <cmath>

#include "midi/midi_file_writer.h"
#include "platform/midi_file/smf_meta.h"
#include "run_outcomes.h"

namespace velt::engine {

using platform::smf::kTempoMeta;

int64_t HeaderAreaSize(int reserved) {
    return 47 + int64_t(kCreatorText.size()) + reserved;
}

VarLenBytes EncodeVarLen(uint32_t value) {
    // The groups come least significant first and are written out the other way round.
    std::array<unsigned char, 5> groups{};
    int count = 0;
    groups[size_t(count++)] = static_cast<unsigned char>(value & 0x7F);
    while ((value >>= 7) != 0) groups[size_t(count++)] = static_cast<unsigned char>(value | 0x80);
    VarLenBytes encoded;
    encoded.size = count;
    for (int i = 0; i < count; ++i) encoded.bytes[size_t(i)] = groups[size_t(count - 1 - i)];
    return encoded;
}

MidiTiming ComputeMidiTiming(const TimingInput& in) {
    MidiTiming timing;
    const double quarterPerBeat = std::pow(2.0, in.denominatorExp) / 4;
    timing.ticksPerQuarter = in.sampleRate / in.hopSamples / in.beatsPerSecond * in.speedFactor /
                             std::pow(2.0, in.subdivisionExp) * kTicksPerHop * quarterPerBeat *
                             in.tempoFactor;
    double division = std::trunc(timing.ticksPerQuarter + 0.5);
    double micros = division * 1000000.0 / timing.ticksPerQuarter / in.beatsPerSecond *
                    quarterPerBeat * in.tempoFactor;
    // Saturate: the callers check the ranges, and a NaN or infinity must not reach an integer.
    auto saturate = [](double v) -> int64_t {
        if (!(v == v)) return 0;
        if (v > 1e15) return int64_t(1e15);
        if (v < -1e15) return int64_t(-1e15);
        return int64_t(std::trunc(v));
    };
    timing.division = saturate(division);
    timing.tempoMicros = saturate(micros);
    return timing;
}

int TimingOutcomeDetail(int64_t division, int64_t tempoMicros) {
    if (division <= 0) return outcome::kZeroDivision.detail;
    if (division > kMaxDivision) return outcome::kDivisionTooLarge.detail;
    if (tempoMicros <= 0) return outcome::kZeroTempo.detail;
    if (tempoMicros > kMaxTempoMicros) return outcome::kTempoTooSlow.detail;
    return 0;
}

void SetHeaderTiming(HeaderInput& header, const MidiTiming& timing) {
    header.division = int(std::clamp<int64_t>(timing.division, 1, kMaxDivision));
    header.tempoMicros = std::clamp<int64_t>(timing.tempoMicros, 1, kMaxTempoMicros);
}

std::vector<unsigned char> BuildHeaderArea(const HeaderInput& in) {
    std::vector<unsigned char> b;
    auto put = [&b](std::initializer_list<int> bytes) {
        for (int v : bytes) b.push_back(static_cast<unsigned char>(v));
    };
    const int64_t textLength = int64_t(kCreatorText.size());
    const int64_t trackLength = in.eventBytes + in.reserved + 25 + textLength;
    put({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, (in.division >> 8) & 0xFF,
         in.division & 0xFF});
    put({'M', 'T', 'r', 'k', int(trackLength >> 24) & 0xFF, int(trackLength >> 16) & 0xFF,
         int(trackLength >> 8) & 0xFF, int(trackLength) & 0xFF});
    put({0x00, 0xFF, 0x58, 0x04, in.numerator & 0xFF, in.denominatorExp, 0x18, 0x08});
    const int64_t m = in.tempoMicros;
    put({0x00, 0xFF, kTempoMeta, 0x03, int(m >> 16) & 0xFF, int(m >> 8) & 0xFF, int(m) & 0xFF});
    const int key = in.keySignature == 8 ? 0 : in.keySignature;
    put({0x00, 0xFF, 0x59, 0x02, key & 0xFF, in.majorMinor});
    put({0x00, 0xFF, 0x01, int(textLength)});
    b.insert(b.end(), kCreatorText.begin(), kCreatorText.end());
    if (in.reserved == 7) {
        const int program = in.channel == 9 ? 0 : in.program;
        put({0x00, 0xC0 + in.channel, program & 0x7F, 0x00, 0xB0 + in.channel, 0x0A, 0x40});
    }
    return b;
}

}  // namespace velt::engine

// The file side of the MIDI writer: the event entry, the byte writer, End of Track, the header
// written over the placeholder and the velocity pass.
#include "midi/midi_file_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "midi/auto_timing.h"
#include "midi/midi_file_place.h"
#include "midi/note_mapping.h"
#include "midi_events.h"
#include "driver/run_state.h"

namespace velt::engine {

namespace {

class FileSink : public MidiEventSink {
  public:
    void emit(int& delta, int status, int data1, int data2, int channel) override {
        EmitFileMidiEvent(delta, status, data1, data2, channel);
    }
};
FileSink fileSink;  // stateless: the file's state is in run().midi

void writeBytesOr(std::span<const unsigned char> bytes, RunOutcome failure) {
    std::FILE* file = run().midi.file.get();
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        throw StageFailure{failure};
    }
}

// Chord name meta (0xFF 0x06 marker) and its sequencer-specific twin with the same text.
void writeChordMetas(const std::string& text, bool leadingDelta) {
    const int n = int(text.size());
    RunState& state = run();
    if (leadingDelta) WriteMidiByte(0x00);
    for (int b : {0xFF, 0x06, n}) WriteMidiByte(b);
    writeBytesOr({reinterpret_cast<const unsigned char*>(text.data()), text.size()},
                 outcome::kMidiTextNotWritten);
    state.midi.eventBytes += n;
    for (int b : {0x00, 0xFF, 0x7F, n + 3, 0x05, 0x0F, 0x16}) WriteMidiByte(b);
    writeBytesOr({reinterpret_cast<const unsigned char*>(text.data()), text.size()},
                 outcome::kMidiTextNotWritten);
    state.midi.eventBytes += n;
    state.midi.runningStatus = 0xFF;
}

}  // namespace

void WriteMidiByte(int byte) {
    RunState& state = run();
    std::FILE* file = state.midi.file.get();
    if (file == nullptr || std::fputc(byte & 0xFF, file) == EOF)
        throw StageFailure{outcome::kMidiFileNotCompleted};
    state.midi.eventBytes += 1;
}

void WriteVarLen(uint32_t value) {
    for (unsigned char b : EncodeVarLen(value)) WriteMidiByte(b);
}

void EmitFileMidiEvent(int& delta, int status, int data1, int data2, int channel) {
    if (channel < 0) return;  // the part has no MIDI channel: the delta keeps accumulating
    RunState& state = run();
    MidiWriterState& midi = state.midi;
    const ProjectSettings& s = state.settings;

    if (s.AutoTiming == 1) CountBeatIntervals(delta, status, data2);

    if (midi.chordPending) {
        if (status == 0xFF) {
            midi.pendingChord = state.status.chordText.substr(0, 5);
            return;
        }
        if (status != 0xB0) {
            midi.chordPending = false;
            if (s.AutoTiming == 0 && !state.geo.singleKeyMode) {
                writeChordMetas(midi.pendingChord, true);
                // The first event moves into the first bar: leading whole bars are dropped.
                const Geometry& g = state.geo;
                int bar =
                    int(std::trunc(std::pow(2.0, g.resolution) / std::pow(2.0, g.denominatorExp) *
                                       state.status.numerator +
                                   0.5));
                if (bar > 0) delta %= bar;
            }
        }
    }

    WriteVarLen(uint32_t(std::max<int64_t>(0, int64_t(delta) * kTicksPerHop)));
    delta = 0;

    if (status == 0xFF) {
        writeChordMetas(state.status.chordText.substr(0, 5), false);
        return;
    }
    if (status == 0x51) {
        const double micros = std::trunc(data1 * state.geo.speedFactor * 1000 *
                                         std::pow(2.0, state.geo.denominatorExp) / 4);
        const int64_t m = int64_t(std::clamp(micros, 0.0, double(kMaxTempoMicros)));
        for (int b : {0xFF, 0x51, 0x03, int(m >> 16) & 0xFF, int(m >> 8) & 0xFF, int(m) & 0xFF}) {
            WriteMidiByte(b);
        }
        midi.runningStatus = 0x51;
        return;
    }

    const bool note = status == 0x90 || status == 0x80;
    if (note) {
        data1 = MidiNoteKey(data1, channel);
        data2 = MidiNoteVelocity(status, data2);
        if (status == 0x90) {
            midi.velocityTotal += data2;
            midi.velocityCount += 1;
        }
    }
    const int statusByte = (status & 0xF0) + (channel & 0x0F);
    if (note || statusByte != midi.runningStatus) WriteMidiByte(statusByte);
    midi.runningStatus = statusByte;
    WriteMidiByte(std::clamp(data1, 0, 127));
    // Program change and channel pressure carry one data byte.
    if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0)
        WriteMidiByte(std::clamp(data2, 0, 127));
}

void CreateMidiFile() {
    RunState& state = run();
    namespace fs = std::filesystem;
    std::string& path = state.files.midiPath;
    std::error_code ec;
    // Never write over the audio being converted.
    fs::path audio = state.settings.AudioFile;
    bool same = fs::equivalent(path, audio, ec) ||
                fs::weakly_canonical(path, ec) == fs::weakly_canonical(audio, ec);
    if (same || path.empty()) throw StageFailure{outcome::kMidiFileNotCreated};
    // A link to a file keeps pointing at it: the file it names is the one replaced at the end.
    if (fs::is_symlink(fs::symlink_status(path, ec)) && fs::is_regular_file(path, ec)) {
        fs::path linked = fs::canonical(path, ec);
        if (!ec) path = linked.string();
    }

    state.files.midiWorkPath = MidiWorkPath(path);
    state.midi.file = CreateMidiWorkFile(path, state.files.midiWorkPath);
    if (!state.midi.file) throw StageFailure{outcome::kMidiFileNotCreated};
    state.files.midiCreated = true;

    std::vector<unsigned char> placeholder(size_t(HeaderAreaSize(state.geo.reservedBytes)), 0x20);
    if (std::fwrite(placeholder.data(), 1, placeholder.size(), state.midi.file.get()) !=
        placeholder.size()) {
        throw StageFailure{outcome::kMidiPlaceholderNotWritten};
    }
    state.midi.eventBytes = 0;
    SetMidiEventSink(&fileSink);
}

void WriteEndOfTrack() {
    for (int b : {0x00, 0xFF, 0x2F, 0x00}) WriteMidiByte(b);
}

void WriteMidiHeader() {
    RunState& state = run();
    const Geometry& g = state.geo;
    MidiTiming timing =
        ComputeMidiTiming({double(g.sampleRate), g.hopSamples, g.beatsPerSecond, g.subdivisionExp,
                           g.denominatorExp, g.speedFactor, g.tempoFactor});
    HeaderInput in;
    // The set-up checked these with the tempo factor 1; the factor must not push them out.
    in.division = int(std::clamp<int64_t>(timing.division, 1, kMaxDivision));
    in.tempoMicros = std::clamp<int64_t>(timing.tempoMicros, 1, kMaxTempoMicros);
    in.eventBytes = state.midi.eventBytes;
    in.numerator = state.status.numerator;
    in.denominatorExp = g.denominatorExp;
    in.keySignature = state.status.keySignature;
    in.majorMinor = state.status.majorMinor;
    in.reserved = g.reservedBytes;
    in.channel = std::max(0, g.partChannel);
    in.program = g.partProgram;
    std::vector<unsigned char> header = BuildHeaderArea(in);

    std::FILE* file = state.midi.file.get();
    if (file == nullptr || std::fflush(file) != 0 || fseeko(file, 0, SEEK_SET) != 0) {
        throw StageFailure{outcome::kMidiHeaderNotWritten};
    }
    std::span<const unsigned char> bytes(header);
    const size_t textStart = 22 + 8 + 7 + 6 + 4;
    writeBytesOr(bytes.subspan(0, 14), outcome::kMidiHeaderNotWritten);
    writeBytesOr(bytes.subspan(14, 8), outcome::kMidiTrackHeaderNotWritten);
    writeBytesOr(bytes.subspan(22, textStart - 22), outcome::kMidiFileNotCompleted);
    writeBytesOr(bytes.subspan(textStart, kCreatorText.size()), outcome::kMidiCreatorNotWritten);
    writeBytesOr(bytes.subspan(textStart + kCreatorText.size()), outcome::kMidiFileNotCompleted);
    FileHandle closing = std::move(state.midi.file);
    if (std::fclose(closing.release()) != 0) throw StageFailure{outcome::kMidiFileNotCompleted};
}

void ScaleTrackVelocities(std::span<unsigned char> track, double factor, int keyMin, int topKey,
                          int threshold) {
    size_t at = 0;
    int running = 0;
    auto readVarLen = [&]() -> uint32_t {
        uint32_t value = 0;
        for (int i = 0; i < 4 && at < track.size(); ++i) {
            unsigned char b = track[at++];
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) break;
        }
        return value;
    };
    while (at < track.size()) {
        readVarLen();
        if (at >= track.size()) break;
        int status = track[at];
        if (status & 0x80) {
            ++at;
            if (status < 0xF0) running = status;
        } else {
            status = running;
        }
        if (status == 0xFF) {
            if (at >= track.size()) break;
            int type = track[at++];
            uint32_t length = readVarLen();
            if (type == 0x2F) break;
            at += length;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            at += readVarLen();
            continue;
        }
        const int kind = status & 0xF0;
        const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (kind < 0x80 || at + dataBytes > track.size()) break;
        if ((kind == 0x90 || kind == 0x80)) {
            int key = track[at];
            int velocity = track[at + 1];
            if (key >= keyMin && key <= topKey && velocity >= threshold) {
                double scaled = std::trunc(velocity * factor + 0.5);
                track[at + 1] = static_cast<unsigned char>(std::min(127.0, scaled));
            }
        }
        at += dataBytes;
    }
}

void ScaleVelocities() {
    RunState& state = run();
    const MidiWriterState& midi = state.midi;
    if (midi.velocityCount == 0) return;
    const float factor = float(state.geo.gainFactor * 64 /
                               (double(midi.velocityTotal) / double(midi.velocityCount)));
    if (factor < 1) return;

    FileHandle file(std::fopen(state.files.midiWorkPath.c_str(), "r+b"));
    if (!file) return;  // the velocities stay as they are
    const int64_t start = HeaderAreaSize(state.geo.reservedBytes);
    if (fseeko(file.get(), start, SEEK_SET) != 0) return;
    std::vector<unsigned char> track;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        track.insert(track.end(), chunk, chunk + got);
    }
    std::vector<unsigned char> before = track;
    ScaleTrackVelocities(track, factor, state.settings.KeyMin, state.geo.TopKey,
                         state.settings.OutputThreshold);
    for (size_t i = 0; i < track.size(); ++i) {
        if (track[i] == before[i]) continue;
        if (fseeko(file.get(), start + int64_t(i), SEEK_SET) != 0) return;
        std::fputc(track[i], file.get());
    }
}

}  // namespace velt::engine

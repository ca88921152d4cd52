// The file side of the MIDI writer: the working file and its placeholder, the events, End of
// Track, the header written over the placeholder, the velocity pass and placing the file.
#include "midi/midi_file_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "midi/auto_timing.h"
#include "midi/midi_file_place.h"
#include "platform/midi_file/smf_meta.h"

namespace velt::engine {

using platform::smf::kTempoMeta;

MidiFileWriter::MidiFileWriter(MidiWriterParams params)
    : params_(std::move(params)), chordPending_(params_.firstChordWaits) {
    if (params_.autoTiming) meter_ = MakeAutoTimingMeter(params_.tickSeconds);

    namespace fs = std::filesystem;
    target_ = params_.target;
    std::error_code ec;
    // Never write over the audio being converted.
    fs::path audio = params_.audio;
    bool same = fs::equivalent(target_, audio, ec) ||
                fs::weakly_canonical(target_, ec) == fs::weakly_canonical(audio, ec);
    if (same || target_.empty()) throw StageFailure{outcome::kMidiFileNotCreated};
    // A link to a file keeps pointing at it: the file it names is the one replaced at the end.
    if (fs::is_symlink(fs::symlink_status(target_, ec)) && fs::is_regular_file(target_, ec)) {
        fs::path linked = fs::canonical(target_, ec);
        if (!ec) target_ = linked.string();
    }

    file_ = CreateMidiWorkFile(target_, workPath_);
    if (!file_) throw StageFailure{outcome::kMidiFileNotCreated};
    created_ = true;

    std::vector<unsigned char> placeholder(size_t(HeaderAreaSize(params_.reservedBytes)), 0x20);
    if (std::fwrite(placeholder.data(), 1, placeholder.size(), file_.get()) != placeholder.size()) {
        // Nobody holds a writer that failed to start: its working file goes now.
        discard();
        throw StageFailure{outcome::kMidiPlaceholderNotWritten};
    }
}

void MidiFileWriter::writeBytesOr(std::span<const unsigned char> bytes, RunOutcome failure) {
    std::FILE* file = file_.get();
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        throw StageFailure{failure};
    }
}

void MidiFileWriter::writeByte(int byte) {
    std::FILE* file = file_.get();
    if (file == nullptr || std::fputc(byte & 0xFF, file) == EOF)
        throw StageFailure{outcome::kMidiFileNotCompleted};
    eventBytes_ += 1;
}

void MidiFileWriter::writeVarLen(uint32_t value) {
    for (unsigned char b : EncodeVarLen(value)) writeByte(b);
}

// Chord name meta (0xFF 0x06 marker) and its sequencer-specific twin with the same text.
void MidiFileWriter::writeChordMetas(std::string_view text, bool leadingDelta) {
    const int n = int(text.size());
    if (leadingDelta) writeByte(0x00);
    for (int b : {0xFF, 0x06, n}) writeByte(b);
    writeBytesOr({reinterpret_cast<const unsigned char*>(text.data()), text.size()},
                 outcome::kMidiTextNotWritten);
    eventBytes_ += n;
    for (int b : {0x00, 0xFF, 0x7F, n + 3, 0x05, 0x0F, 0x16}) writeByte(b);
    writeBytesOr({reinterpret_cast<const unsigned char*>(text.data()), text.size()},
                 outcome::kMidiTextNotWritten);
    eventBytes_ += n;
    runningStatus_ = 0xFF;
}

double MidiFileWriter::write(int& delta, int status, int data1, int data2, int channel,
                             std::string_view chordText) {
    if (channel < 0) return 0;  // the part has no MIDI channel: the delta keeps accumulating

    double leadingSeconds = 0;
    if (params_.autoTiming) {
        const int64_t leading = meter_.observe(delta, status, data2);
        if (leading > 0) leadingSeconds = leading * params_.tickSeconds;
    }

    if (chordPending_) {
        if (status == 0xFF) {
            pendingChord_ = chordText.substr(0, 5);
            return leadingSeconds;
        }
        if (status != 0xB0) {
            chordPending_ = false;
            if (!params_.autoTiming && !params_.notes.singleKeyMode) {
                writeChordMetas(pendingChord_, true);
                // The first event moves into the first bar: leading whole bars are dropped.
                int bar =
                    int(std::trunc(std::pow(2.0, params_.resolution) /
                                       std::pow(2.0, params_.denominatorExp) * params_.numerator +
                                   0.5));
                if (bar > 0) delta %= bar;
            }
        }
    }

    writeVarLen(uint32_t(std::max<int64_t>(0, int64_t(delta) * kTicksPerHop)));
    delta = 0;

    if (status == 0xFF) {
        writeChordMetas(chordText.substr(0, 5), false);
        return leadingSeconds;
    }
    if (status == kTempoMeta) {
        const double micros = std::trunc(data1 * params_.speedFactor * 1000 *
                                         std::pow(2.0, params_.denominatorExp) / 4);
        const int64_t m = int64_t(std::clamp(micros, 0.0, double(kMaxTempoMicros)));
        for (int b :
             {0xFF, kTempoMeta, 0x03, int(m >> 16) & 0xFF, int(m >> 8) & 0xFF, int(m) & 0xFF}) {
            writeByte(b);
        }
        runningStatus_ = kTempoMeta;
        return leadingSeconds;
    }

    const bool note = status == 0x90 || status == 0x80;
    if (note) {
        data1 = MidiNoteKey(params_.notes, data1, channel);
        data2 = MidiNoteVelocity(params_.notes, status, data2);
        if (status == 0x90) {
            velocityTotal_ += data2;
            velocityCount_ += 1;
        }
    }
    const int statusByte = (status & 0xF0) + (channel & 0x0F);
    if (note || statusByte != runningStatus_) writeByte(statusByte);
    runningStatus_ = statusByte;
    writeByte(std::clamp(data1, 0, 127));
    // Program change and channel pressure carry one data byte.
    if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0) writeByte(std::clamp(data2, 0, 127));
    return leadingSeconds;
}

void MidiFileWriter::writeEndOfTrack() {
    for (int b : {0x00, 0xFF, 0x2F, 0x00}) writeByte(b);
}

void MidiFileWriter::writeHeader(HeaderInput in) {
    in.eventBytes = eventBytes_;
    in.reserved = params_.reservedBytes;
    std::vector<unsigned char> header = BuildHeaderArea(in);

    std::FILE* file = file_.get();
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
    // The file stays open (and held) for the velocity pass and the placing.
    if (std::fflush(file) != 0) throw StageFailure{outcome::kMidiFileNotCompleted};
}

void MidiFileWriter::scaleVelocities(const VelocityPassParams& params) {
    if (velocityCount_ == 0) return;
    const float factor =
        float(params.gainFactor * 64 / (double(velocityTotal_) / double(velocityCount_)));
    if (factor < 1) return;

    // Through the run's own stream: the file under the working name is only ever this one.
    std::FILE* file = file_.get();
    if (file == nullptr || std::fflush(file) != 0) return;  // the velocities stay as they are
    const int64_t start = HeaderAreaSize(params_.reservedBytes);
    if (fseeko(file, start, SEEK_SET) != 0) return;
    std::vector<unsigned char> track;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        track.insert(track.end(), chunk, chunk + got);
    }
    std::vector<unsigned char> before = track;
    ScaleTrackVelocities(track, factor, params.keyMin, params.topKey, params.threshold);
    for (size_t i = 0; i < track.size(); ++i) {
        if (track[i] == before[i]) continue;
        if (fseeko(file, start + int64_t(i), SEEK_SET) != 0) break;
        std::fputc(track[i], file);
    }
    std::fflush(file);
}

RunOutcome MidiFileWriter::place() {
    if (!created_ || !file_) {
        file_.reset();
        return {};
    }
    created_ = false;
    // Renamed while the lock is held; closing afterwards lets the lock go.
    const MidiPlacement placed = PlaceMidiFile(file_.get(), workPath_, target_);
    file_.reset();
    if (placed == MidiPlacement::Refused) return outcome::kMidiFileNotCreated;
    if (placed == MidiPlacement::Failed) return outcome::kMidiFileNotCompleted;
    return {};
}

void MidiFileWriter::discard() {
    if (created_) RemoveMidiWorkFile(file_.get(), workPath_);
    created_ = false;
    file_.reset();
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

}  // namespace velt::engine

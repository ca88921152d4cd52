// The one reader of Standard MIDI Files: header, track chunks and events, strictly bounded by the
// bytes it is given. Every length in the file (header, track chunk, variable-length number, meta
// and system-exclusive body) is checked against what is left before it is used, so a truncated
// or damaged file is refused and nothing is ever read past its end.
//
// Accepted: format 0 and 1 with a metrical division (ticks per quarter note). Refused: SMPTE
// division, format 2 and above, a file shorter than a header and one track header, a track chunk
// whose length runs past the end of the file, a variable-length number longer than four bytes or
// cut by the end of its track, a data byte with no status to run on, a track without its
// end-of-track event. Chunks of other kinds are passed over. Running status continues over meta
// and system-exclusive events (lenient, as many writers rely on it). System bytes other than
// 0xF0, 0xF7 and 0xFF carry no data inside a file and are passed over.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace velt::platform::smf {

enum class Refusal {
    None,
    NotMidi,  // not a MIDI file, or damaged
    Format,   // format 2 or above
    Smpte,    // SMPTE (time-code) division
};

struct Event {
    uint64_t tick = 0;          // from the start of the track
    uint8_t status = 0;         // 0x80..0xEF channel message, 0xF0/0xF7 system exclusive, 0xFF meta
    uint8_t meta = 0;           // the meta type when status is 0xFF
    std::vector<uint8_t> data;  // channel message data bytes, or the meta / exclusive body
};

struct File {
    int format = 0;
    int division = 0;  // ticks per quarter note
    std::vector<std::vector<Event>> tracks;
};

// Reads the file held in `bytes` into `out`.
Refusal read(std::span<const uint8_t> bytes, File& out);
// Reads a file from disk; a file that cannot be read is NotMidi.
Refusal readFile(const std::filesystem::path& path, File& out);

// Microseconds per quarter note of a tempo meta event (FF 51 03), 0 when the event is not one.
uint32_t tempoOf(const Event& event);

}  // namespace velt::platform::smf

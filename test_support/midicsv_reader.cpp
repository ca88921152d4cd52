#include "midicsv_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <deque>
#include <map>
#include <optional>
#include <tuple>

#include "test_support.h"

namespace velt::test {

namespace {

// A quoted midicsv text from its opening quote: "" stands for a quote, \\ for a backslash and
// \ooo (octal) for a byte outside the printable ASCII range. Moves `at` past the closing quote.
std::optional<std::string> unquote(std::string_view line, size_t& at) {
    std::string text;
    for (++at; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '"') {
            if (at + 1 < line.size() && line[at + 1] == '"') {
                text += '"';
                ++at;
                continue;
            }
            ++at;
            return text;
        }
        if (c == '\\' && at + 1 < line.size() && line[at + 1] == '\\') {
            text += '\\';
            ++at;
        } else if (c == '\\' && at + 3 < line.size()) {
            int byte = 0;
            auto [end, error] =
                std::from_chars(line.data() + at + 1, line.data() + at + 4, byte, 8);
            if (error != std::errc() || end != line.data() + at + 4) return std::nullopt;
            text += static_cast<char>(byte);
            at += 3;
        } else {
            text += c;
        }
    }
    return std::nullopt;  // no closing quote
}

// The comma-separated fields of a midicsv line, leading blanks dropped, texts unquoted.
std::optional<std::vector<std::string>> fields(std::string_view line) {
    std::vector<std::string> out;
    size_t at = 0;
    while (true) {
        while (at < line.size() && line[at] == ' ') ++at;
        if (at < line.size() && line[at] == '"') {
            auto text = unquote(line, at);
            if (!text) return std::nullopt;
            out.push_back(std::move(*text));
            while (at < line.size() && line[at] == ' ') ++at;
            if (at < line.size() && line[at] != ',') return std::nullopt;
        } else {
            const size_t comma = std::min(line.find(',', at), line.size());
            std::string_view field = line.substr(at, comma - at);
            while (!field.empty() && (field.back() == ' ' || field.back() == '\r'))
                field.remove_suffix(1);
            out.emplace_back(field);
            at = comma;
        }
        if (at >= line.size()) return out;
        ++at;  // the comma
    }
}

template <typename Number>
bool number(const std::string& text, Number& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The record's first values as numbers; false when there are fewer or one is no number.
template <typename... Numbers>
bool values(const MidiRecord& record, Numbers&... out) {
    if (record.values.size() < sizeof...(out)) return false;
    size_t i = 0;
    return (number(record.values[i++], out) && ...);
}

// Pairs note-ons with their ends, per track, channel and key, the earliest open note first.
std::vector<MidiNote> notesOf(const std::vector<MidiRecord>& records) {
    std::vector<MidiNote> notes;
    std::map<std::tuple<int, int, int>, std::deque<size_t>> open;
    for (const MidiRecord& r : records) {
        const bool on = r.type == "Note_on_c";
        if (!on && r.type != "Note_off_c") continue;
        int channel = 0, key = 0, velocity = 0;
        values(r, channel, key, velocity);
        auto& sounding = open[{r.track, channel, key}];
        if (on && velocity > 0) {
            sounding.push_back(notes.size());
            notes.push_back({r.tick, key, velocity, channel, -1});
        } else if (!sounding.empty()) {
            notes[sounding.front()].length = r.tick - notes[sounding.front()].tick;
            sounding.pop_front();
        }
    }
    std::stable_sort(notes.begin(), notes.end(), [](const MidiNote& a, const MidiNote& b) {
        return std::tie(a.tick, a.key) < std::tie(b.tick, b.key);
    });
    return notes;
}

// Files the record into the list of its kind; false when its values do not parse.
bool fileByKind(const MidiRecord& r, MidiContents& midi) {
    const std::string& type = r.type;
    if (type == "Header") return values(r, midi.format, midi.trackCount, midi.division);
    if (type == "Note_on_c" || type == "Note_off_c") {
        int channel, key, velocity;
        return values(r, channel, key, velocity);
    }
    if (type == "Tempo") {
        MidiTempo& t = midi.tempos.emplace_back();
        t.tick = r.tick;
        return values(r, t.microsPerQuarter);
    }
    if (type == "Time_signature") {
        MidiTimeSignature& t = midi.timeSignatures.emplace_back();
        t.tick = r.tick;
        return values(r, t.numerator, t.denominatorPower, t.clocksPerClick,
                      t.thirtySecondsPerQuarter);
    }
    if (type == "Key_signature") {
        MidiKeySignature& k = midi.keySignatures.emplace_back();
        k.tick = r.tick;
        if (r.values.size() < 2) return false;
        k.mode = r.values[1];
        return values(r, k.sharps);
    }
    if (type == "Program_c") {
        MidiProgram& p = midi.programs.emplace_back();
        p.tick = r.tick;
        return values(r, p.channel, p.program);
    }
    if (type == "Control_c") {
        MidiController& c = midi.controllers.emplace_back();
        c.tick = r.tick;
        return values(r, c.channel, c.controller, c.value);
    }
    if (type == "Pitch_bend_c") {
        MidiPitchBend& b = midi.pitchBends.emplace_back();
        b.tick = r.tick;
        return values(r, b.channel, b.value);
    }
    return true;
}

// Parses midicsv's text; names the first line that does not parse in `problem`.
MidiContents parse(const std::string& text, std::string& problem) {
    MidiContents midi;
    for (const std::string& line : splitLines(text)) {
        if (line.empty()) continue;
        auto f = fields(line);
        MidiRecord r;
        if (!f || f->size() < 3 || !number((*f)[0], r.track) || !number((*f)[1], r.tick)) {
            problem = "not a midicsv record: " + line;
            return midi;
        }
        r.type = (*f)[2];
        r.values.assign(f->begin() + 3, f->end());
        if (!fileByKind(r, midi)) {
            problem = "values that do not parse: " + line;
            return midi;
        }
        midi.records.push_back(std::move(r));
    }
    midi.notes = notesOf(midi.records);
    return midi;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const MidiRecord& record) {
    out << record.track << ", " << record.tick << ", " << record.type;
    for (const std::string& value : record.values) out << ", " << value;
    return out;
}

std::ostream& operator<<(std::ostream& out, const MidiNote& note) {
    return out << "{tick " << note.tick << ", key " << note.key << ", velocity " << note.velocity
               << ", channel " << note.channel << ", length " << note.length << "}";
}

double MidiContents::seconds(long tick) const {
    const double ticksPerQuarter = division > 0 ? division : 480;
    double s = 0;
    long at = 0;
    long tempo = 500000;
    for (const MidiTempo& t : tempos) {
        if (t.tick >= tick) break;
        s += double(t.tick - at) * double(tempo) / 1e6 / ticksPerQuarter;
        at = t.tick;
        tempo = t.microsPerQuarter;
    }
    return s + double(tick - at) * double(tempo) / 1e6 / ticksPerQuarter;
}

bool MidiContents::hasNote(int channel, int key) const {
    return std::any_of(notes.begin(), notes.end(),
                       [&](const MidiNote& n) { return n.channel == channel && n.key == key; });
}

bool MidiContents::hasTempo(long microsPerQuarter) const {
    return std::any_of(tempos.begin(), tempos.end(),
                       [&](const MidiTempo& t) { return t.microsPerQuarter == microsPerQuarter; });
}

std::set<int> MidiContents::keys() const {
    std::set<int> out;
    for (const MidiNote& n : notes) out.insert(n.key);
    return out;
}

std::vector<int> MidiContents::keysInOrder() const {
    std::vector<int> out;
    for (const MidiNote& n : notes) out.push_back(n.key);
    return out;
}

size_t MidiContents::count(std::string_view type) const {
    return static_cast<size_t>(std::count_if(records.begin(), records.end(),
                                             [&](const MidiRecord& r) { return r.type == type; }));
}

bool MidiContents::containsRun(const std::vector<MidiRecord>& run) const {
    return std::search(records.begin(), records.end(), run.begin(), run.end()) != records.end();
}

MidiContents readMidi(const std::filesystem::path& file) {
    TempDir dir;
    const auto messages = dir / "messages.txt";
    const CommandResult csv =
        runCommand("midicsv " + shellQuote(file.string()) + " 2>" + shellQuote(messages.string()));
    const std::string said = readFile(messages);
    if (csv.exitCode != 0 || !said.empty()) {
        ADD_FAILURE() << "midicsv " << file << " (exit " << csv.exitCode << "): " << said;
        MidiContents failed;
        failed.text = said;
        return failed;
    }
    std::string problem;
    MidiContents midi = parse(csv.output, problem);
    midi.text = csv.output;
    if (!problem.empty()) {
        ADD_FAILURE() << "midicsv " << file << ": " << problem;
        return midi;
    }
    midi.read = true;
    return midi;
}

}  // namespace velt::test

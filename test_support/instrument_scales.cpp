#include "instrument_scales.h"

#include <cmath>
#include <stdexcept>

#include "midicsv_reader.h"
#include "test_support.h"

namespace velt::test {

const std::vector<InstrumentScale>& instrumentScales() {
    static const std::vector<InstrumentScale> scales = {
        {"piano", 0, 60},    {"violin", 40, 67},   {"viola", 41, 60},    {"cello", 42, 48},
        {"choir", 52, 60},   {"voice", 53, 60},    {"trumpet", 56, 60},  {"trombone", 57, 46},
        {"tuba", 58, 38},    {"horn", 60, 53},     {"alto sax", 65, 58}, {"oboe", 68, 62},
        {"bassoon", 70, 43}, {"clarinet", 71, 55}, {"flute", 73, 67},
    };
    return scales;
}

const InstrumentScale& instrumentScale(const std::string& name) {
    for (const InstrumentScale& s : instrumentScales())
        if (name == s.name) return s;
    throw std::invalid_argument("no instrument scale " + name);
}

std::vector<ScoreNote> scaleScore(int firstKey) {
    // Up a ninth and down to the second degree: sixteen notes, no key twice in a row.
    static const int kSteps[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 12, 11, 9, 7, 5, 4, 2};
    std::vector<ScoreNote> notes;
    double onset = 0.25;
    for (int step : kSteps) {
        notes.push_back({onset, 0.45, firstKey + step, 90});
        onset += 0.5;
    }
    return notes;
}

NoteCount countNotes(const std::vector<ScoreNote>& score, const std::vector<ScoreNote>& found,
                     double window) {
    NoteCount count;
    std::vector<bool> used(score.size(), false);
    for (const ScoreNote& f : found) {
        int best = -1;
        for (size_t i = 0; i < score.size(); ++i) {
            if (used[i] || score[i].key != f.key) continue;
            double distance = std::fabs(score[i].onset - f.onset);
            if (distance <= window &&
                (best < 0 || distance < std::fabs(score[best].onset - f.onset)))
                best = static_cast<int>(i);
        }
        if (best >= 0) {
            used[best] = true;
            ++count.found;
        } else {
            ++count.wrong;
        }
    }
    return count;
}

std::vector<ScoreNote> transcribeWav(const std::filesystem::path& engine,
                                     const std::filesystem::path& wav,
                                     const std::filesystem::path& folder,
                                     const std::string& extraKeys, bool& ok) {
    auto project = folder / (wav.stem().string() + ".vpr");
    auto midi = folder / (wav.stem().string() + ".mid");
    auto status = folder / (wav.stem().string() + ".status");
    std::filesystem::remove(midi);
    writeFile(project,
              "[audio]\nAudioFile=" + wav.string() + "\n[midi]\nMidiFile=" + midi.string() +
                  "\n[timing]\nTempo=120\nTimeSignatureNumerator=4\nChordRes=1\n" + extraKeys);
    auto result = runCommand(shellQuote(engine.string()) + " " + shellQuote(project.string()) +
                             " " + shellQuote(status.string()) + " " +
                             shellQuote((folder / "command.txt").string()) + " >/dev/null");
    ok = result.exitCode == 0 && readFile(status).rfind("100000", 0) == 0;
    if (!ok) return {};
    const MidiContents contents = readMidi(midi);
    ok = contents.read;
    return scoreNotes(contents, true);
}

}  // namespace velt::test

#include "piano_score.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "midicsv_reader.h"
#include "test_support.h"

namespace velt::test {

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr double kSecondsPerQuarter = 0.5;

// A small linear congruential generator: the same piece on every machine.
class Lcg {
  public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    int below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<uint32_t>(n));
    }

  private:
    uint32_t state_;
};

int ticksOf(double seconds) {
    return static_cast<int>(std::lround(seconds / kSecondsPerQuarter * kTicksPerQuarter));
}

}  // namespace

std::vector<ScoreNote> pianoPiece(double seconds) {
    static const int kScale[] = {0, 2, 4, 5, 7, 9, 11};  // C major
    Lcg random(20261209);
    std::vector<ScoreNote> notes;
    // Melody: quarters and eighths over C4..C6, moving by small steps.
    int degree = 14;
    for (double t = 0.25; t < seconds - 1;) {
        double length = random.below(3) == 0 ? 0.25 : 0.5;
        degree = std::clamp(degree + random.below(5) - 2, 7, 21);
        int key = 48 + 12 * (degree / 7) + kScale[degree % 7];
        notes.push_back({t, length * 0.9, key, 80 + random.below(30)});
        t += length;
    }
    // Bass: a half note every two beats in E2..G3, sometimes with its fifth above.
    for (double t = 0.25; t < seconds - 1.5; t += 1.0) {
        int root = 40 + random.below(16);
        notes.push_back({t, 0.9, root, 70 + random.below(20)});
        if (random.below(4) == 0) notes.push_back({t, 0.9, root + 7, 65 + random.below(20)});
    }
    std::sort(notes.begin(), notes.end(),
              [](const ScoreNote& a, const ScoreNote& b) { return a.onset < b.onset; });
    return notes;
}

std::string scoreCsv(const std::vector<ScoreNote>& notes, int program) {
    struct Row {
        int tick;
        int order;  // note offs before note ons at the same tick
        std::string text;
    };
    std::vector<Row> rows;
    for (const ScoreNote& n : notes) {
        rows.push_back(
            {ticksOf(n.onset), 1,
             "Note_on_c, 0, " + std::to_string(n.key) + ", " + std::to_string(n.velocity)});
        rows.push_back(
            {ticksOf(n.onset + n.duration), 0, "Note_off_c, 0, " + std::to_string(n.key) + ", 0"});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::ostringstream out;
    out << "0, 0, Header, 0, 1, " << kTicksPerQuarter << "\n";
    out << "1, 0, Start_track\n";
    out << "1, 0, Tempo, " << static_cast<int>(kSecondsPerQuarter * 1e6) << "\n";
    out << "1, 0, Program_c, 0, " << program << "\n";
    int last = 0;
    for (const Row& r : rows) {
        out << "1, " << r.tick << ", " << r.text << "\n";
        last = r.tick;
    }
    out << "1, " << last + kTicksPerQuarter << ", End_track\n";
    out << "0, 0, End_of_file\n";
    return out.str();
}

bool renderScore(const std::vector<ScoreNote>& notes, const std::filesystem::path& folder,
                 const std::filesystem::path& wav, int rate, int program) {
    auto csv = folder / "score.csv";
    auto mid = folder / "score.mid";
    writeFile(csv, scoreCsv(notes, program));
    if (runCommand("csvmidi " + shellQuote(csv.string()) + " " + shellQuote(mid.string()))
            .exitCode != 0)
        return false;
    std::string render = "fluidsynth -n -i -q -R 0 -C 0 -g 0.6 -r " + std::to_string(rate) +
                         " -F " + shellQuote(wav.string()) +
                         " /usr/share/sounds/sf2/FluidR3_GM.sf2 " + shellQuote(mid.string()) +
                         " >/dev/null 2>&1";
    return runCommand(render).exitCode == 0 && std::filesystem::exists(wav);
}

bool renderMonoScore(const std::vector<ScoreNote>& notes, const std::filesystem::path& folder,
                     const std::filesystem::path& wav, int program) {
    std::filesystem::path stereo = wav;
    stereo.replace_filename(wav.stem().string() + "_stereo.wav");
    return renderScore(notes, folder, stereo, 44100, program) &&
           runCommand("sox -D " + shellQuote(stereo.string()) + " -r 44100 -b 16 -c 1 " +
                      shellQuote(wav.string()) + " 2>/dev/null")
                   .exitCode == 0;
}

std::vector<ScoreNote> scoreNotes(const MidiContents& midi, bool applyBends) {
    std::vector<ScoreNote> notes;
    for (const MidiNote& n : midi.notes) {
        // The bend in force at a note-on: the last one sent up to the note's tick (the engine
        // sends a note's bend at its own tick, beside the note-on).
        int bend = 8192;
        if (applyBends)
            for (const MidiPitchBend& b : midi.pitchBends)
                if (b.channel == n.channel && b.tick <= n.tick) bend = b.value;
        const int key = n.key + static_cast<int>(std::lround((bend - 8192) / 4096.0));
        const double onset = midi.seconds(n.tick);
        const double length = n.length < 0 ? 0 : midi.seconds(n.tick + n.length) - onset;
        notes.push_back({onset, length, key, n.velocity});
    }
    return notes;
}

double onsetFMeasure(const std::vector<ScoreNote>& score, const std::vector<ScoreNote>& found,
                     double window) {
    if (score.empty() && found.empty()) return 1;
    std::vector<bool> used(score.size(), false);
    int matched = 0;
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
            ++matched;
        }
    }
    double precision = found.empty() ? 0 : double(matched) / found.size();
    double recall = score.empty() ? 0 : double(matched) / score.size();
    return precision + recall == 0 ? 0 : 2 * precision * recall / (precision + recall);
}

}  // namespace velt::test

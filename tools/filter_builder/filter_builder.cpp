// filterbuild: makes "filter.ifd" from "filter.txt". Every instrument of the index is rendered
// with fluidsynth and the General MIDI sound font, one note per key of its range in three
// loudness layers; the engine's own key measurement reads successive frames over each
// note's sustain, and their means, scaled so that each layer's loudest is 127, become the key's
// template: segment (i, j) holds layer i, frame j (the mean over the sustain of the levels j
// hops after each frame).
//
//   filterbuild data/filter.txt data/filter.ifd [work folder]
//
// Needs csvmidi, fluidsynth, sox and the sound font /usr/share/sounds/sf2/FluidR3_GM.sf2. The
// output depends only on these and on the engine's measurement, so it can be made again.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/key_measurement.h"
#include "analysis/resonator_bank.h"
#include "piano_score.h"
#include "project/run_geometry.h"
#include "template_writer.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace velt::engine;

constexpr int kRate = 44100;
constexpr int kLowestKey = 21;  // filter runs analyse from here
constexpr int kHighestKey = 108;
constexpr double kNoteSpacing = 1.0;  // seconds between note starts
constexpr double kNoteLength = 0.6;
constexpr double kAttackSeconds = 0.1;     // the onset's transient, left out of the templates
constexpr double kReleaseMargin = 0.05;    // seconds before the note's end that still count
constexpr int kLayers[3] = {50, 85, 120};  // velocities of the three layers

struct Instrument {
    int program = 0;
    int keyMin = 0;
    int keyMax = 0;
};

std::vector<Instrument> readIndex(const fs::path& index) {
    std::vector<Instrument> out;
    std::ifstream in(index);
    std::string line;
    while (std::getline(in, line)) {
        Instrument i;
        i.program = std::atoi(line.c_str());
        size_t comma = line.find(',');
        if (comma != std::string::npos) {
            i.keyMin = std::atoi(line.c_str() + comma + 1);
            size_t second = line.find(',', comma + 1);
            if (second != std::string::npos) i.keyMax = std::atoi(line.c_str() + second + 1);
        }
        out.push_back(i);
    }
    return out;
}

// The key measurement of a filter run over the instrument's range at 120 BPM with automatic
// resolution and sensitivity, with the geometry the engine's set-up derives for it.
struct FilterRunMeasurement {
    FilterRunMeasurement(int keyMin, int keyMax) {
        const Geometry g = FileRunGeometry(keyMin, keyMax, kRate, true);
        const double f = ProjectSettings{}.ReferencePitch;
        blockLength = g.blockLength;
        hopSamples = g.hopSamples;
        samples.assign(size_t(blockLength) + 3, 0);

        BankParams bankParams;
        bankParams.sampleRate = kRate;
        bankParams.referencePitch = f;
        bankParams.lowKey = g.LowKey;
        bankParams.keyMin = keyMin;
        bankParams.keyMax = keyMax;
        bankParams.topKey = g.TopKey;
        bankParams.hopSamples = hopSamples;
        bankParams.minimumLength = 0;
        if (BuildBank(bankParams, bank) != 0) {
            std::cerr << "no memory for the resonator bank\n";
            std::exit(1);
        }
        params.lowKey = keyMin;
        params.keyMax = keyMax;
    }

    // Measures the frame in samples[1..blockLength] into levels.
    void measure() {
        MeasureFrameKeys(params, bank, viewFrame(samples, bank.framePlanes), levels, bends, tuning);
    }

    int blockLength = 0;
    double hopSamples = 0;
    std::vector<int> samples;  // element 0 unused, the frame from 1
    ResonatorBank bank;
    KeyMeasurementParams params;
    std::vector<float> levels = std::vector<float>(kKeyCount + 2);
    std::vector<float> bends = std::vector<float>(kKeyCount + 2);
    TuningTotals tuning;
};

std::vector<int16_t> readMono(const fs::path& wav, const fs::path& raw) {
    auto result = velt::test::runCommand("sox -D " + velt::test::shellQuote(wav.string()) +
                                         " -t raw -e signed-integer -b 16 -c 1 " +
                                         velt::test::shellQuote(raw.string()));
    if (result.exitCode != 0) return {};
    std::string bytes = velt::test::readFile(raw);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

// Renders and measures one instrument; empty when it has no playable key.
velt::tools::InstrumentTemplates measureInstrument(const Instrument& instrument,
                                                   const fs::path& work) {
    velt::tools::InstrumentTemplates templates;
    const int low = std::max(instrument.keyMin, kLowestKey);
    const int high = std::min(instrument.keyMax > 0 ? instrument.keyMax : kHighestKey, kHighestKey);
    if (instrument.keyMin <= 0 || low > high) return templates;

    std::vector<velt::test::ScoreNote> notes;
    for (int key = low; key <= high; ++key)
        for (int velocity : kLayers)
            notes.push_back({0.5 + notes.size() * kNoteSpacing, kNoteLength, key, velocity});
    fs::path wav = work / "instrument.wav";
    if (!velt::test::renderScore(notes, work, wav, kRate, instrument.program)) {
        std::cerr << "rendering program " << instrument.program << " failed\n";
        std::exit(1);
    }
    std::vector<int16_t> audio = readMono(wav, work / "instrument.raw");
    int peak = 1;
    for (int16_t v : audio) peak = std::max(peak, std::abs(int{v}));
    const double normaliser = 32767.0 / peak;

    FilterRunMeasurement measurement(kLowestKey, high);
    auto& samples = measurement.samples;
    const int block = measurement.blockLength;
    for (size_t n = 0; n < notes.size(); ++n) {
        const int key = notes[n].key;
        const int layer = static_cast<int>(n % 3);
        const size_t start = static_cast<size_t>(notes[n].onset * kRate + 0.5);
        // The sustained part: from the end of the attack until the third frame of a triple
        // would reach past the note's release. A run compares its last three frames, which
        // mostly lie there, so each template frame j is the mean of the levels at n + j hops
        // over every start n of the sustain.
        const double hop = measurement.hopSamples;
        const double sustainStart = start + kAttackSeconds * kRate;
        const double sustainEnd = start + (kNoteLength - kReleaseMargin) * kRate;
        int starts = 0;
        while (sustainStart + (starts + 2) * hop <= sustainEnd) ++starts;
        starts = std::max(starts, 1);
        std::vector<float> levels(3 * (kHighestKey + 2), 0.0f);
        for (int frame = 0; frame < starts + 2; ++frame) {
            size_t at = static_cast<size_t>(sustainStart + frame * hop + 0.5);
            for (int m = 0; m < block; ++m)
                samples[size_t(m) + 1] =
                    at + m < audio.size() ? int(audio[at + m] * normaliser) : 0;
            measurement.measure();
            for (int j = 0; j < 3; ++j) {
                int n = frame - j;  // the start whose frame j this is
                if (n < 0 || n >= starts) continue;
                for (int bin = kLowestKey; bin <= high; ++bin)
                    levels[size_t(j) * (kHighestKey + 2) + size_t(bin)] +=
                        measurement.levels[size_t(bin)] / starts;
            }
        }
        float loudest = 0;
        for (float level : levels) loudest = std::max(loudest, level);
        if (loudest <= 0) continue;
        for (int frame = 0; frame < 3; ++frame)
            for (int bin = kLowestKey; bin <= high; ++bin) {
                float level = levels[size_t(frame) * (kHighestKey + 2) + size_t(bin)];
                if (level > 0) templates[{key, layer * 3 + frame, bin}] = 127 * level / loudest;
            }
    }
    return templates;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: filterbuild filter.txt filter.ifd [work folder]\n";
        return 2;
    }
    std::vector<Instrument> instruments = readIndex(argv[1]);
    if (instruments.empty() || instruments.size() > 255) {
        std::cerr << "filter.txt must list 1 to 255 instruments\n";
        return 1;
    }
    std::unique_ptr<velt::test::TempDir> temp;
    fs::path work;
    if (argc > 3) {
        work = argv[3];
        fs::create_directories(work);
    } else {
        temp = std::make_unique<velt::test::TempDir>();
        work = temp->path();
    }
    std::vector<std::vector<uint8_t>> entries;
    for (const Instrument& instrument : instruments) {
        auto templates = measureInstrument(instrument, work);
        entries.push_back(velt::tools::encodeEntry(templates));
        std::cout << "program " << instrument.program << ": " << templates.size() << " values, "
                  << entries.back().size() << " bytes\n"
                  << std::flush;
    }
    std::ofstream out(argv[2], std::ios::binary);
    std::string file = velt::tools::buildFilterFile(entries);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return out ? 0 : 1;
}

// Transcription quality and speed of the engine program: renders major scales (up a ninth and down)
// of fifteen General MIDI instruments and a 60-second piano piece with fluidsynth, converts each
// with the engine in single-line mode (PitchMode 1), polyphonic mode (default) and with the
// instrument's filter (polyphony from filter.txt), and prints the notes found (of the score) and
// the wrong notes. Then times whole runs on the piano piece with the status and command files on a
// memory file system and on a disk folder, and prints the real-time factor (keys 28..85).
//
//   build/bench/transcription_quality [engine program] [disk folder]
//
// The engine defaults to the one built beside this program; the filter data are the files in
// the engine's folder. The disk folder defaults to the build folder.
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "instrument_scales.h"
#include "piano_score.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace velt::test;

struct Mode {
    const char* name;
    std::string keys;  // project keys beyond the common ones
};

// Single line, polyphonic (the default polyphony), and the instrument's filter with the
// polyphony its line of filter.txt gives (1 there means a single line, which uses no filter).
std::vector<Mode> modes(const fs::path& dataFolder, int program) {
    std::string filter =
        "ExePath=" + dataFolder.string() + "/\nFilter=0\nPatch=" + std::to_string(program) + "\n";
    return {{"mono", "PitchMode=1\n"}, {"poly", ""}, {"filter", filter}};
}

std::string cell(const NoteCount& c, size_t total) {
    char text[32];
    std::snprintf(text, sizeof text, "%2d/%zu, %3d wrong", c.found, total, c.wrong);
    return text;
}

double secondsOfRun(const fs::path& engine, const fs::path& project, const fs::path& exchange) {
    auto status = exchange / ("velt-quality-status-" + std::to_string(getpid()) + ".txt");
    auto command = exchange / ("velt-quality-command-" + std::to_string(getpid()) + ".txt");
    std::string line = shellQuote(engine.string()) + " " + shellQuote(project.string()) + " " +
                       shellQuote(status.string()) + " " + shellQuote(command.string()) +
                       " >/dev/null";
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        auto start = std::chrono::steady_clock::now();
        bool ok = runCommand(line).exitCode == 0;
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ok = ok && readFile(status).rfind("100000", 0) == 0;
        fs::remove(status);
        if (!ok) return -1;
        best = std::min(best, seconds);
    }
    return best;
}

const char* fileSystemOf(const fs::path& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) return "?";
    switch (info.f_type) {
        case 0x01021994:
            return "tmpfs";
        case 0xEF53:
            return "ext4";
        case 0x9123683E:
            return "btrfs";
        case 0x58465342:
            return "xfs";
        case 0x794C7630:
            return "overlayfs";
        default:
            return "other";
    }
}

}  // namespace

int main(int argc, char** argv) {
    fs::path engine = argc > 1 ? fs::path(argv[1]) : fs::path(VELT_ENGINE_BINARY);
    fs::path disk = argc > 2 ? fs::path(argv[2]) : fs::path(VELT_BUILD_FOLDER);
    fs::path data = fs::absolute(engine).parent_path();
    TempDir dir;

    std::printf("%-12s %-18s %-18s %-18s\n", "instrument", "mono", "poly", "filter");
    NoteCount sums[3];
    size_t scoreNotes = 0;
    for (const InstrumentScale& scale : instrumentScales()) {
        auto score = scaleScore(scale.firstKey);
        fs::path wav = dir / (std::string("scale") + std::to_string(scale.program) + ".wav");
        if (!renderScore(score, dir.path(), wav, 44100, scale.program)) {
            std::fprintf(stderr, "rendering failed (csvmidi, fluidsynth)\n");
            return 1;
        }
        std::printf("%-12s", scale.name);
        int m = 0;
        for (const Mode& mode : modes(data, scale.program)) {
            bool ok = false;
            auto found = transcribeWav(engine, wav, dir.path(), mode.keys, ok);
            NoteCount c = countNotes(score, found);
            sums[m].found += c.found;
            sums[m].wrong += c.wrong;
            ++m;
            std::printf(" %-18s", ok ? cell(c, score.size()).c_str() : "run failed");
        }
        scoreNotes += score.size();
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("%-12s", "all scales");
    for (const NoteCount& c : sums) std::printf(" %-18s", cell(c, scoreNotes).c_str());
    std::printf("\n");

    auto piece = pianoPiece(60);
    fs::path pianoWav = dir / "piano.wav";
    if (!renderScore(piece, dir.path(), pianoWav, 44100, 0)) {
        std::fprintf(stderr, "rendering failed (csvmidi, fluidsynth)\n");
        return 1;
    }
    std::printf("%-12s", "piano 60 s");
    for (const Mode& mode : modes(data, 0)) {
        bool ok = false;
        auto found = transcribeWav(engine, pianoWav, dir.path(), mode.keys, ok);
        std::printf(" %-18s",
                    ok ? cell(countNotes(piece, found), piece.size()).c_str() : "run failed");
    }
    std::printf("\n\n");

    // Speed: the whole program on the piano piece, keys 28..85, best of three runs.
    fs::path project = dir / "speed.vpr";
    writeFile(project, "AudioFile=" + pianoWav.string() +
                           "\nMidiFile=" + (dir / "speed.mid").string() +
                           "\nKeyMin=28\nKeyMax=85\nTempo=120\nTimeSignatureNumerator=4\n"
                           "ChordRes=1\n");
    fs::path memory = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : dir.path();
    for (const fs::path& exchange : {memory, disk}) {
        double seconds = secondsOfRun(engine, project, exchange);
        if (seconds <= 0)
            std::printf("real-time factor, status on %s: run failed\n", exchange.c_str());
        else
            std::printf("real-time factor, status on %s (%s): %.0fx\n", exchange.c_str(),
                        fileSystemOf(exchange), 60.0 / seconds);
    }
    return 0;
}

// mpunpack over damaged input: every fixture (the compliance streams and streams made here
// by lame, twolame and sox) and a few hundred damaged variants of each, from a fixed seed, run
// through the program. Each run must end within its time limit with exit 0 and "DONE", or exit 1
// and one "ERROR: " line; the status file holds the same line; nothing may appear on standard
// error (a sanitizer build reports there and stops); a WAV file left behind has a header that
// matches its size. Built with -DVELT_SANITIZE=ON this is the sanitizer sweep of the CI.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "damage.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mp3::sweep {
namespace {

namespace fs = std::filesystem;
using velt::test::readBytes;
using velt::test::readFile;
using velt::test::runCommand;
using velt::test::shellQuote;

constexpr int kVariantsPerFixture = 200;
// A run of a few kilobytes of audio takes well under a second even with sanitizers; this only
// tells a hang from a slow run.
constexpr int kRunSeconds = 60;

const char* const kCompliance[] = {"l1-fl1",      "l1-fl2",         "l1-fl4", "l2-fl10",
                                   "l2-fl13",     "l3-compl",       "l3-si",  "l3-si_block",
                                   "ILL2_layer3", "ILL2_overalloc1"};

struct Fixture {
    const char* name;
    const char* compliance;  // a compliance stream of the test data, or null
    const char* source;      // sox output options of the generated source
    const char* encoder;     // encoder options ending before the two paths; null: the WAV itself
    const char* extension;
};

void PrintTo(const Fixture& f, std::ostream* os) {
    *os << f.name;
}

std::vector<Fixture> fixtures() {
    std::vector<Fixture> list;
    for (const char* name : kCompliance) list.push_back({name, name, nullptr, nullptr, ".mp3"});
    const Fixture generated[] = {
        {"lame_joint_stereo_tagged", nullptr, "-r 44100 -c 2",
         "lame --quiet -b 128 -m j --add-id3v2 --tt Sweep", ".mp3"},
        {"lame_vbr_stereo", nullptr, "-r 44100 -c 2", "lame --quiet -V 4", ".mp3"},
        {"lame_mpeg2_mono", nullptr, "-r 22050 -c 1", "lame --quiet -b 32 -m m", ".mp3"},
        {"lame_mpeg25_stereo", nullptr, "-r 8000 -c 2", "lame --quiet -b 16", ".mp3"},
        {"lame_crc_dual", nullptr, "-r 32000 -c 2", "lame --quiet -b 96 -m d -p", ".mp3"},
        {"twolame_stereo", nullptr, "-r 44100 -c 2", "twolame --quiet -b 192", ".mp2"},
        {"twolame_mono_48k", nullptr, "-r 48000 -c 1", "twolame --quiet -b 64 -m m", ".mp2"},
        {"twolame_lsf_24k", nullptr, "-r 24000 -c 2", "twolame --quiet -b 96 -m j", ".mp2"},
        {"pcm_wav", nullptr, "-r 22050 -c 2", nullptr, ".wav"},
    };
    list.insert(list.end(), std::begin(generated), std::end(generated));
    return list;
}

// The programs a generated fixture needs that are missing here; empty when all are there.
std::string missingFixtureTools(const Fixture& f) {
    if (f.compliance) return "";
    std::vector<std::string> tools = {"sox"};
    if (f.encoder) {
        const std::string encoder = f.encoder;
        tools.push_back(encoder.substr(0, encoder.find(' ')));
    }
    return velt::test::missingTools(tools);
}

// The fixture's bytes, made in `dir` when it is generated; empty when that failed.
Bytes fixtureBytes(const Fixture& f, const fs::path& dir) {
    if (f.compliance)
        return readBytes(velt::test::testdataDir() / "mpeg" / (std::string(f.compliance) + ".bit"));
    const fs::path source = dir / "source.wav";
    const fs::path encoded = dir / (std::string("fixture") + f.extension);
    const std::string sox = "sox -D -n " + std::string(f.source) + " -b 16 " +
                            shellQuote(source.string()) +
                            " synth 1.5 sine 200-3000 pinknoise gain -6 2>/dev/null";
    if (runCommand(sox).exitCode != 0) return {};
    if (!f.encoder) return readBytes(source);
    const std::string encode = std::string(f.encoder) + " " + shellQuote(source.string()) + " " +
                               shellQuote(encoded.string()) + " >/dev/null 2>&1";
    if (runCommand(encode).exitCode != 0) return {};
    return readBytes(encoded);
}

std::uint32_t le32(const std::string& s, std::size_t at) {
    return static_cast<std::uint32_t>(
        static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8 |
        static_cast<unsigned char>(s[at + 2]) << 16 | static_cast<unsigned char>(s[at + 3]) << 24);
}

class Sweep : public ::testing::TestWithParam<Fixture> {
  protected:
    // Runs mpunpack on `input` and checks the outcome; a failure names the variant.
    void runOne(const Bytes& input, const std::string& what) {
        SCOPED_TRACE(what);
        const fs::path in = dir_ / (std::string("input") + GetParam().extension);
        const fs::path wav = dir_ / "out.wav";
        const fs::path status = dir_ / "status.txt";
        const fs::path err = dir_ / "stderr.txt";
        std::error_code ignored;
        fs::remove(wav, ignored);
        fs::remove(status, ignored);
        velt::test::writeFile(in, std::string(input.begin(), input.end()));

        const std::string command = "timeout -s KILL " + std::to_string(kRunSeconds) + " " +
                                    shellQuote((velt::test::binDir() / "mpunpack").string()) + " " +
                                    shellQuote(in.string()) + " " + shellQuote(wav.string()) + " " +
                                    shellQuote(status.string()) + " 2>" + shellQuote(err.string());
        const velt::test::CommandResult r = runCommand(command);

        ASSERT_NE(r.exitCode, 137) << "no outcome within " << kRunSeconds << " s (hang)";
        const std::string errors = readFile(err);
        ASSERT_TRUE(errors.empty()) << "standard error:\n" << errors;
        const bool done = r.exitCode == 0 && r.output == "DONE\n";
        const bool error = r.exitCode == 1 && r.output.rfind("ERROR: ", 0) == 0 &&
                           r.output.find('\n') == r.output.size() - 1;
        ASSERT_TRUE(done || error) << "exit " << r.exitCode << ", output: " << r.output;
        EXPECT_EQ(readFile(status), r.output.substr(0, r.output.size() - 1) + "\r\n");

        // A WAV file left behind is empty (never opened for writing) or says how long it is.
        const std::string bytes = readFile(wav);
        if (done) {
            ASSERT_GE(bytes.size(), 44u);
        }
        if (!bytes.empty()) {
            ASSERT_GE(bytes.size(), 44u);
            EXPECT_EQ(bytes.substr(0, 4), "RIFF");
            EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
            EXPECT_EQ(le32(bytes, 40), bytes.size() - 44);
        }
        ++runs_;
    }

    velt::test::TempDir dir_;
    int runs_ = 0;
};

TEST_P(Sweep, DamagedVariantsEndWithAnOutcome) {
    const Fixture& f = GetParam();
    VELT_REQUIRE(missingFixtureTools(f));
    const Bytes original = fixtureBytes(f, dir_.path());
    ASSERT_FALSE(original.empty()) << "could not make or read the fixture";

    // Splice partners: the compliance streams of every layer.
    std::vector<Bytes> partners;
    for (const char* name : kCompliance) {
        const fs::path file = velt::test::testdataDir() / "mpeg" / (std::string(name) + ".bit");
        partners.push_back(readBytes(file));
        ASSERT_FALSE(partners.back().empty()) << file;
    }

    runOne(original, "undamaged");
    if (HasFatalFailure()) return;

    // One seed per fixture, from its name (FNV-1a), so variants stay the same when fixtures are
    // added.
    std::uint32_t seed = 2166136261u;
    for (const char* c = f.name; *c; ++c)
        seed = (seed ^ static_cast<unsigned char>(*c)) * 16777619u;
    Damager damager(seed);
    for (int i = 0; i < kVariantsPerFixture; ++i) {
        const Damage kind = static_cast<Damage>(i % kDamageKinds);
        const Bytes& partner =
            partners[static_cast<std::size_t>(i / kDamageKinds) % partners.size()];
        const Bytes variant = damager.make(original, kind, partner);
        runOne(variant, std::string(f.name) + " variant " + std::to_string(i) + " (" +
                            damageName(kind) + ", " + std::to_string(variant.size()) + " bytes)");
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(runs_, kVariantsPerFixture + 1);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Sweep, ::testing::ValuesIn(fixtures()),
                         [](const ::testing::TestParamInfo<Fixture>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace velt::mp3::sweep

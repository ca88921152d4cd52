// Damaged input for the AIFF reader and the WMA/AAC decoder component: cut, flipped and zeroed
// variants of real files (fixed seed). Every variant must end with a success and a readable WAV
// file, or with one of the decoder's codes and no WAV file. scripts/test.sh runs this again in a
// build with AddressSanitizer and UndefinedBehaviorSanitizer.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "audio_fixtures.h"
#include "platform/outside/aiff_decoder.h"
#include "platform/outside/compressed_decoder.h"
#include "platform/wav/wav_file.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace velt::platform::outside;
using velt::test::TempDir;

namespace {

constexpr int kVariantsPerKind = 12;

// Cuts at spread lengths, bytes flipped at random places, zeroed ranges.
std::vector<std::string> variantsOf(const std::string& good, unsigned seed) {
    std::mt19937 random(seed);
    auto at = [&](size_t below) {
        return std::uniform_int_distribution<size_t>(0, below - 1)(random);
    };
    std::vector<std::string> out;
    for (int i = 0; i < kVariantsPerKind; ++i)
        out.push_back(good.substr(0, good.size() * i / kVariantsPerKind + at(64)));
    for (int i = 0; i < kVariantsPerKind; ++i) {
        std::string v = good;
        // The first variants hit the header, where the decoders read sizes and counts.
        const size_t span = i < kVariantsPerKind / 2 ? std::min<size_t>(v.size(), 256) : v.size();
        for (int flips = 1 + i % 4; flips > 0; --flips)
            v[at(span)] ^= static_cast<char>(1 + at(255));
        out.push_back(v);
    }
    for (int i = 0; i < kVariantsPerKind; ++i) {
        std::string v = good;
        const size_t from = at(v.size());
        const size_t length = std::min(v.size() - from, 1 + at(512));
        std::fill_n(v.begin() + static_cast<long>(from), length, '\0');
        out.push_back(v);
    }
    return out;
}

struct Subject {
    const char* name;
    fs::path file;
    std::set<long> codes;  // failure codes it may give
    std::function<long(const std::string&, const std::string&)> decode;
};

void sweep(const Subject& subject, const fs::path& dir) {
    const std::string good = velt::test::readFile(subject.file);
    ASSERT_FALSE(good.empty());
    int variant = 0;
    for (const std::string& bytes : variantsOf(good, 20261210)) {
        SCOPED_TRACE(std::string(subject.name) + " variant " + std::to_string(variant++));
        const fs::path in = dir / "damaged";
        const fs::path out = dir / "out.wav";
        velt::test::writeFile(in, bytes);
        const long code = subject.decode(in.string(), out.string());
        if (code == 0) {
            std::optional<velt::platform::wav::Layout> layout =
                velt::platform::wav::readLayout(out);
            ASSERT_TRUE(layout);
            EXPECT_GT(layout->dataBytes, 0u);
            fs::remove(out);
        } else {
            EXPECT_TRUE(subject.codes.count(code)) << "code " << code;
            EXPECT_FALSE(fs::exists(out));
        }
    }
}

}  // namespace

TEST(DecoderSweep, DamagedFilesEndWithACodeOrAGoodFile) {
    TempDir dir;
    const fs::path melody = dir / "melody.wav", aiff = dir / "melody.aiff";
    ASSERT_TRUE(velt::test::makeMelody(melody, {.noteSeconds = 0.1}));
    ASSERT_TRUE(velt::test::makeMelody(aiff, {.rate = 22050, .noteSeconds = 0.05}));
    const fs::path wma = dir / "melody.wma", aac = dir / "melody.aac";
    ASSERT_TRUE(velt::test::encode(melody, wma, velt::test::Encoding::Wma));
    ASSERT_TRUE(velt::test::encode(melody, aac, velt::test::Encoding::Aac));
    const std::set<long> componentCodes = {decoder_error::kFailed, decoder_error::kCannotOpen,
                                           decoder_error::kNoCodec, decoder_error::kProtected};
    auto component = [](bool wmaOnly) {
        return [wmaOnly](const std::string& in, const std::string& out) {
            return DecodeCompressed(in, out, wmaOnly, nullptr);
        };
    };
    const Subject subjects[] = {
        {"WMA", wma, componentCodes, component(true)},
        {"AAC", aac, componentCodes, component(false)},
        {"AIFF",
         aiff,
         {aiff::kNotAiff, aiff::kNoCommon, aiff::kNoSoundData, aiff::kCompression,
          aiff::kSampleRate, aiff::kBits, aiff::kChannels, aiff::kOffset, aiff::kBlockSize,
          aiff::kTruncated, aiff::kReadError},
         [](const std::string& in, const std::string& out) { return long(DecodeAiff(in, out)); }},
    };
    for (const Subject& subject : subjects) sweep(subject, dir.path());
}

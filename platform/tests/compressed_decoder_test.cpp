#include "platform/outside/compressed_decoder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "audio_fixtures.h"
#include "platform/wav/wav_file.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace velt::platform::outside;
using velt::test::TempDir;
namespace wav = velt::platform::wav;

namespace {

// Runs a decode through the component's face and collects its events until the last one.
std::vector<DecoderEvent> runDecode(DecoderFace face, const fs::path& in, const fs::path& out) {
    CompressedDecoder decoder(face);
    decoder.setProperty(face.input, in.string());
    decoder.setProperty(face.output, out.string());
    decoder.invoke(face.start);
    std::vector<DecoderEvent> all;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const DecoderEvent& e : decoder.takeEvents()) all.push_back(e);
        if (!all.empty() &&
            (all.back().kind == DecoderEvent::Kind::Error || all.back().percent == 100))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    decoder.invoke(face.stop);
    return all;
}

long errorOf(const std::vector<DecoderEvent>& events) {
    return !events.empty() && events.back().kind == DecoderEvent::Kind::Error ? events.back().code
                                                                              : 0;
}

// A WMA file whose ASF header carries one more object, inserted right after the header's
// preamble, with the header's size and object count mended.
void addHeaderObject(const fs::path& wma, const fs::path& out, const unsigned char (&guid)[16]) {
    std::vector<unsigned char> bytes = velt::test::readBytes(wma);
    std::vector<unsigned char> object(guid, guid + 16);
    const uint64_t size = 24 + 8;
    for (int i = 0; i < 8; ++i) object.push_back(static_cast<unsigned char>(size >> (8 * i)));
    object.resize(size, 0);
    uint64_t headerSize = 0;
    for (int i = 7; i >= 0; --i) headerSize = headerSize << 8 | bytes[16 + i];
    headerSize += size;
    for (int i = 0; i < 8; ++i) bytes[16 + i] = static_cast<unsigned char>(headerSize >> (8 * i));
    bytes[24] += 1;
    bytes.insert(bytes.begin() + 30, object.begin(), object.end());
    velt::test::writeFile(out, std::string(bytes.begin(), bytes.end()));
}

class DecodeComponents : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(velt::test::makeMelody(source));
        ASSERT_TRUE(velt::test::encode(source, wma, velt::test::Encoding::Wma));
        ASSERT_TRUE(velt::test::encode(source, aac, velt::test::Encoding::Aac));
    }
    // The melody as AAC in an M4A container (ffmpeg).
    bool makeM4a(const fs::path& m4a) const {
        return velt::test::runCommand("ffmpeg -nostdin -v error -y -i " +
                                      velt::test::shellQuote(source.string()) + " -c:a aac " +
                                      velt::test::shellQuote(m4a.string()))
                   .exitCode == 0;
    }
    TempDir dir;
    fs::path source = dir / "melody.wav";
    fs::path wma = dir / "melody.wma";
    fs::path aac = dir / "melody.aac";
};

}  // namespace

TEST_F(DecodeComponents, RealFilesDecodeToTheSourcesLengthWithTheProgressPromised) {
    const fs::path mono = dir / "mono.wav";
    const fs::path surround = dir / "six.wav";
    ASSERT_TRUE(velt::test::makeMelody(mono, {.rate = 22050, .channels = 1}));
    ASSERT_TRUE(velt::test::makeMelody(surround, {.rate = 48000, .channels = 6}));
    const fs::path monoWma = dir / "mono.wma", sixAac = dir / "six.aac";
    ASSERT_TRUE(velt::test::encode(mono, monoWma, velt::test::Encoding::Wma));
    ASSERT_TRUE(velt::test::encode(surround, sixAac, velt::test::Encoding::Aac));
    const fs::path m4a = dir / "melody.m4a";
    ASSERT_TRUE(makeM4a(m4a));
    struct Case {
        const char* name;
        DecoderFace face;
        fs::path file;
        uint32_t rate;
        uint16_t channels;
        uint64_t slack;  // one codec frame; for AAC also the encoder's delay of one frame, which an
                         // ADTS stream does not declare, so every decoder puts it out
    } cases[] = {{"stereo WMA", kWmaFace, wma, 44100, 2, 2048},
                 {"mono WMA", kWmaFace, monoWma, 22050, 1, 2048},
                 {"stereo AAC", kAacFace, aac, 44100, 2, 2048},
                 {"six-channel AAC, mixed down", kAacFace, sixAac, 48000, 2, 2048},
                 {"AAC in M4A", kAacFace, m4a, 44100, 2, 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir / (std::string(c.name) + ".wav");
        std::vector<DecoderEvent> events = runDecode(c.face, c.file, out);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(errorOf(events), 0);
        EXPECT_EQ(events.front().percent, 0);
        EXPECT_EQ(events.back().percent, 100);
        bool inside = false;
        for (size_t i = 0; i + 1 < events.size(); ++i) {
            EXPECT_LT(events[i].percent, 99.5);
            inside = inside || (events[i].percent > 0 && events[i].percent < 100);
        }
        EXPECT_TRUE(inside) << "no value strictly between 0 and 100";
        std::optional<wav::Layout> layout = wav::readLayout(out);
        ASSERT_TRUE(layout);
        EXPECT_TRUE(layout->isPcm());
        EXPECT_EQ(layout->bitsPerSample, 16);
        EXPECT_EQ(layout->sampleRate, c.rate);
        EXPECT_EQ(layout->channels, c.channels);
        const uint64_t expected = 4 * uint64_t(c.rate) / 2;  // four notes of 0.5 s
        const uint64_t frames = layout->frames();
        EXPECT_LE(frames > expected ? frames - expected : expected - frames, c.slack)
            << frames << " frames for " << expected;
    }
}

TEST_F(DecodeComponents, BadInputGetsItsCodeAndNoFile) {
    const fs::path text = dir / "text";
    velt::test::writeFile(text, "This is a text file with a new name.\n");
    // Audio of a codec no decoder knows: a WMA file whose format tag (0x0161) is changed, and an
    // M4A file whose AAC sample entry and object type are.
    std::vector<unsigned char> bytes = velt::test::readBytes(wma);
    const unsigned char wmaTag[] = {0x61, 0x01, 0x02, 0x00};  // WMA v2, two channels
    auto tag = std::search(bytes.begin(), bytes.end(), std::begin(wmaTag), std::end(wmaTag));
    ASSERT_NE(tag, bytes.end());
    tag[0] = tag[1] = 0x77;
    const fs::path unknownWma = dir / "unknown.wma";
    velt::test::writeFile(unknownWma, std::string(bytes.begin(), bytes.end()));
    const fs::path m4a = dir / "melody.m4a";
    ASSERT_TRUE(makeM4a(m4a));
    bytes = velt::test::readBytes(m4a);
    const std::string esds = "esds", entry = "mp4a";
    auto descriptor = std::search(bytes.begin(), bytes.end(), esds.begin(), esds.end());
    const unsigned char aacAudio[] = {0x40, 0x15};  // object type AAC, stream type audio
    auto objectType =
        std::search(descriptor, bytes.end(), std::begin(aacAudio), std::end(aacAudio));
    auto sampleEntry = std::search(bytes.begin(), bytes.end(), entry.begin(), entry.end());
    ASSERT_TRUE(objectType != bytes.end() && sampleEntry != bytes.end());
    *objectType = 0xFE;
    std::copy_n("xy4z", 4, sampleEntry);
    const fs::path unknownM4a = dir / "unknown.m4a";
    velt::test::writeFile(unknownM4a, std::string(bytes.begin(), bytes.end()));
    const unsigned char encryption[16] = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                          0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};
    const unsigned char extendedEncryption[16] = {0x14, 0xE6, 0x8A, 0x29, 0x22, 0x26, 0x17, 0x4C,
                                                  0xB9, 0x35, 0xDA, 0xE0, 0x7E, 0xE9, 0x28, 0x9C};
    const fs::path protectedWma = dir / "protected.wma", extendedWma = dir / "extended.wma";
    addHeaderObject(wma, protectedWma, encryption);
    addHeaderObject(wma, extendedWma, extendedEncryption);
    auto cut = [&](const fs::path& from, const char* name, double share) {
        std::string bytes = velt::test::readFile(from);
        bytes.resize(static_cast<size_t>(double(bytes.size()) * share));
        velt::test::writeFile(dir / name, bytes);
        return dir / name;
    };
    // Random bytes after the first `keep` bytes (the container's header, or nothing).
    auto garbage = [&](const fs::path& from, const char* name, size_t keep) {
        std::string bytes = velt::test::readFile(from);
        uint32_t state = 12345;
        for (size_t i = keep; i < bytes.size(); ++i) {
            state = state * 1103515245u + 12345u;
            bytes[i] = static_cast<char>(state >> 24);
        }
        velt::test::writeFile(dir / name, bytes);
        return dir / name;
    };
    // A playlist and a concat script that name the good AAC file: neither is followed.
    const fs::path playlist = dir / "playlist.aac", script = dir / "script.aac";
    velt::test::writeFile(playlist, "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n" +
                                        aac.string() + "\n#EXT-X-ENDLIST\n");
    velt::test::writeFile(script, "ffconcat version 1.0\nfile " + aac.string() + "\n");
    struct Case {
        const char* name;
        DecoderFace face;
        fs::path file;
        std::vector<long> codes;  // any of these
    } cases[] = {
        {"text as WMA", kWmaFace, text, {decoder_error::kCannotOpen}},
        {"text as AAC", kAacFace, text, {decoder_error::kCannotOpen}},
        {"missing", kAacFace, dir / "none.aac", {decoder_error::kCannotOpen}},
        {"AAC as WMA", kWmaFace, aac, {decoder_error::kCannotOpen}},
        {"playlist", kAacFace, playlist, {decoder_error::kCannotOpen}},
        {"concat script", kAacFace, script, {decoder_error::kCannotOpen}},
        {"no WMA decoder", kWmaFace, unknownWma, {decoder_error::kNoCodec}},
        {"no AAC decoder", kAacFace, unknownM4a, {decoder_error::kNoCodec}},
        {"WAV as AAC", kAacFace, source, {decoder_error::kCannotOpen}},
        {"encrypted", kWmaFace, protectedWma, {decoder_error::kProtected}},
        {"extended encryption", kWmaFace, extendedWma, {decoder_error::kProtected}},
        {"WMA cut",
         kWmaFace,
         cut(wma, "cut.wma", 0.6),
         {decoder_error::kFailed, decoder_error::kCannotOpen}},
        {"AAC cut",
         kAacFace,
         cut(aac, "cut.aac", 0.6),
         {decoder_error::kFailed, decoder_error::kCannotOpen}},
        {"WMA garbage", kWmaFace, garbage(wma, "garbage.wma", 0), {decoder_error::kCannotOpen}},
        {"AAC garbage", kAacFace, garbage(aac, "garbage.aac", 0), {decoder_error::kCannotOpen}},
        {"WMA header, garbage packets",
         kWmaFace,
         garbage(wma, "packets.wma", 5000),
         {decoder_error::kFailed}},
        {"AAC first frame, then garbage",
         kAacFace,
         garbage(aac, "frames.aac", 400),
         {decoder_error::kFailed}},
    };
    // The source named as the output too: refused, the source kept.
    const std::string aacBytes = velt::test::readFile(aac);
    EXPECT_EQ(errorOf(runDecode(kAacFace, aac, aac)), decoder_error::kFailed);
    EXPECT_EQ(velt::test::readFile(aac), aacBytes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir / "out.wav";
        const long code = errorOf(runDecode(c.face, c.file, out));
        EXPECT_NE(std::find(c.codes.begin(), c.codes.end(), code), c.codes.end()) << code;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(DecodeComponents, StopEndsADecodeAndRemovesItsFile) {
    const fs::path longer = dir / "long.wav", longAac = dir / "long.aac";
    ASSERT_TRUE(velt::test::makeMelody(longer, {.noteSeconds = 30}));
    ASSERT_TRUE(velt::test::encode(longer, longAac, velt::test::Encoding::Aac));
    const fs::path out = dir / "out.wav";
    CompressedDecoder decoder(kAacFace);
    decoder.setProperty(kAacFace.input, longAac.string());
    decoder.setProperty(kAacFace.output, out.string());
    decoder.invoke(kAacFace.start);
    // Started again at once: the first decode is ended, the second one runs.
    decoder.invoke(kAacFace.start);
    decoder.invoke(kAacFace.stop);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(decoder.takeEvents().empty()) << "events after stop";
}

namespace {

// A FIFO that nobody writes: opening it for reading blocks until the test lets it go. `release`
// opens it for writing (once a reader waits), writes `bytes` and closes it; a watchdog does so
// after a minute in case the code under test never returns, and `released` then tells.
class StalledSource {
  public:
    explicit StalledSource(fs::path path) : path_(std::move(path)) {
        ok_ = mkfifo(path_.c_str(), 0600) == 0;
        watchdog_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            if (!done_.wait_for(lock, std::chrono::minutes(1), [this] { return stopped_; })) {
                released = true;
                lock.unlock();
                release("");
            }
        });
    }
    ~StalledSource() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        done_.notify_all();
        watchdog_.join();
        release("");  // a reader still waiting is let go
    }
    bool ok() const { return ok_; }
    const fs::path& path() const { return path_; }
    void release(const std::string& bytes) {
        const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd < 0) return;  // no reader waits
        if (!bytes.empty()) (void)!write(fd, bytes.data(), bytes.size());
        close(fd);
    }
    std::atomic<bool> released{false};

  private:
    fs::path path_;
    bool ok_ = false;
    std::mutex mutex_;
    std::condition_variable done_;
    bool stopped_ = false;
    std::thread watchdog_;
};

// Waits (bounded) until `done` holds.
template <class Done>
bool eventually(Done done) {
    for (int i = 0; i < 2000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

}  // namespace

// A FIFO named like a WMA or AAC file is refused at once (its first read could wait for ever),
// without anything ever opening it for writing.
TEST(DecodeStalledInput, AFifoIsRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    for (const auto& [face, name] : {std::pair{kAacFace, "x.aac"}, std::pair{kWmaFace, "x.wma"}}) {
        SCOPED_TRACE(name);
        StalledSource fifo(dir / name);
        ASSERT_TRUE(fifo.ok());
        EXPECT_EQ(errorOf(runDecode(face, fifo.path(), dir / "out.wav")),
                  decoder_error::kCannotOpen);
        EXPECT_FALSE(fifo.released) << "the decode waited for a writer";
        EXPECT_FALSE(fs::exists(dir / "out.wav"));
    }
}

// A read blocked in the system (a stalled network mount; here a FIFO the decode opens itself,
// where no interrupt reaches it): stop returns while the read still waits, the decoder can go,
// and the worker that ends later discards its file and events and leaves the output of the next
// decode alone.
TEST(DecodeStalledInput, StopReturnsWhileTheReadStillWaits) {
    TempDir dir;
    StalledSource fifo(dir / "stalled.aac");
    ASSERT_TRUE(fifo.ok());
    const fs::path out = dir / "out.wav";
    auto entered = std::make_shared<std::atomic<int>>(0);
    auto returned = std::make_shared<std::atomic<int>>(0);
    // Reads its source to the end (blocking in open on the FIFO), then writes a short WAV.
    auto decode = [entered, returned](const std::string& source, const std::string& wave, bool,
                                      const std::function<void(double)>& progress,
                                      const std::atomic<bool>*) -> long {
        progress(0);
        ++*entered;
        std::string bytes = velt::test::readFile(source);
        wav::Writer writer;
        const int16_t frames[4] = {1, 2, 3, 4};
        const bool written = writer.open(wave, {2, 44100, 16}) &&
                             writer.write(frames, sizeof frames) && writer.close();
        progress(50);
        ++*returned;
        return written ? 0 : decoder_error::kFailed;
    };
    {
        CompressedDecoder decoder(kAacFace, decode);
        decoder.setProperty(kAacFace.input, fifo.path().string());
        decoder.setProperty(kAacFace.output, out.string());
        decoder.invoke(kAacFace.start);
        ASSERT_TRUE(eventually([&] { return *entered == 1; }));
        decoder.invoke(kAacFace.stop);
        EXPECT_FALSE(fifo.released) << "stop waited for the read";
        EXPECT_EQ(*returned, 0) << "the read was still waiting";
        EXPECT_TRUE(decoder.takeEvents().empty());

        // The next decode, of a real file into the same output, runs and finishes meanwhile.
        const fs::path melody = dir / "melody.wav", aac = dir / "melody.aac";
        ASSERT_TRUE(velt::test::makeMelody(melody, {.noteSeconds = 0.25}));
        ASSERT_TRUE(velt::test::encode(melody, aac, velt::test::Encoding::Aac));
        CompressedDecoder next(kAacFace);
        next.setProperty(kAacFace.input, aac.string());
        next.setProperty(kAacFace.output, out.string());
        next.invoke(kAacFace.start);
        std::vector<DecoderEvent> events;
        ASSERT_TRUE(eventually([&] {
            for (const DecoderEvent& e : next.takeEvents()) events.push_back(e);
            return !events.empty() && events.back().percent == 100;
        }));
        decoder.invoke(kAacFace.start);  // a third start while the first worker still waits
        ASSERT_TRUE(eventually([&] { return *entered == 2; }));
    }  // both blocked workers outlive their decoder
    const std::string decoded = velt::test::readFile(out);
    EXPECT_GT(decoded.size(), 1000u);

    fifo.release("bytes");  // both waiting readers go on
    ASSERT_TRUE(eventually([&] { return *returned == 2; }));
    // Each left worker removes its own file and nothing else.
    EXPECT_TRUE(eventually([&] { return velt::test::filesOf(dir.path(), "out.wav").size() == 1; }))
        << ::testing::PrintToString(velt::test::filesOf(dir.path(), "out.wav"));
    EXPECT_EQ(velt::test::readFile(out), decoded);
    EXPECT_FALSE(fifo.released);
}

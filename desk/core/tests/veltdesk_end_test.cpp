// veltdesk ended from outside while its MP3 decoder runs (the project editor decodes the
// project's MP3 file as it opens): SIGTERM, SIGHUP and SIGINT end the decoder and remove its
// files before the program goes; after SIGKILL the decoder ends with it all the same. Either way
// no decoder is left writing, and the next start can't meet a file of the earlier run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/process/process.h"
#include "platform/process/process_list.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

uintmax_t sizeOf(const fs::path& file) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(file, ec);
    return ec ? 0 : size;
}

class VeltdeskEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // An MP3 file long enough to keep the decoder busy: one 10 s clip (no bit reservoir, no
        // tag frame, so its frames stand alone) repeated.
        shared_ = std::make_unique<test::TempDir>();
        const fs::path clip = *shared_ / "clip.mp3";
        ASSERT_EQ(test::runCommand("sox -D -n -r 22050 -b 16 -c 1 " +
                                   test::shellQuote((*shared_ / "clip.wav").string()) +
                                   " synth 10 sine 440 gain -6 && lame --quiet --nores -t -b 32 " +
                                   test::shellQuote((*shared_ / "clip.wav").string()) + " " +
                                   test::shellQuote(clip.string()))
                      .exitCode,
                  0);
        const std::string once = test::readFile(clip);
        std::string many;
        many.reserve(once.size() * 600);
        for (int i = 0; i < 600; ++i) many += once;  // 100 minutes
        test::writeFile(*shared_ / "long song.mp3", many);
    }
    static void TearDownTestSuite() { shared_.reset(); }

    void SetUp() override {
        test::makePrivateFolder(dir / "run");
        fs::create_directories(dir / "home");
        fs::create_directories(dir / "cfg" / "Veltrane Rizaduzede");
        test::writeFile(dir / "cfg" / "Veltrane Rizaduzede" / "settings.ini", "[Path]\nAS=1\n");
        mp3 = (*shared_ / "long song.mp3").string();
        project = dir / "song.vpr";
        test::writeFile(project, "[audio]\nAudioFile=" + mp3 + "\n[midi]\nMidiFile=" +
                                     (dir / "song.mid").string() + "\n[other]\nVprFormat=3\n");
    }
    void TearDown() override {
        // A program a failed check left running goes now.
        if (program > 0 && waitpid(program, nullptr, WNOHANG) == 0) {
            kill(program, SIGKILL);
            waitpid(program, nullptr, 0);
        }
    }

    // Starts veltdesk on the project (offscreen) and waits until its decoder writes; with a
    // log, as a command-line conversion ("/prf=", "/log=").
    void startDecoding(const fs::path& log = {}) {
        test::ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "run").string());
        test::ScopedEnv config("XDG_CONFIG_HOME", (dir / "cfg").string());
        test::ScopedEnv home("HOME", (dir / "home").string());
        test::ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
        test::ScopedEnv system("VELTRANE_SYSTEM_DIR", std::nullopt);
        test::ScopedEnv path("PATH", (dir / "home").string());  // no browser, no tools
        const std::vector<std::string> arguments =
            log.empty() ? std::vector<std::string>{"veltdesk", project.string()}
                        : std::vector<std::string>{"veltdesk", "/prf=" + project.string(),
                                                   "/log=" + log.string()};
        auto pid = platform::startDetached(test::binDir() / "veltdesk", arguments);
        ASSERT_TRUE(pid);
        program = *pid;
        decodeFile = dir / "run" / "veltrane" / ("~temp.wav.~" + std::to_string(program));
        ASSERT_TRUE(waitFor([&] { return sizeOf(decodeFile) > 100000; }, std::chrono::seconds(60)))
            << "the decoder never wrote " << decodeFile;
        ASSERT_EQ(decoders().size(), 1u);
    }
    std::vector<pid_t> decoders() const {
        return platform::processesWithArguments(mp3, decodeFile.string());
    }
    // Waits for the program to end; its wait status.
    int programEnd() {
        int status = -1;
        const bool ended = waitFor([&] { return waitpid(program, &status, WNOHANG) == program; },
                                   std::chrono::seconds(30));
        if (!ended) {
            kill(program, SIGKILL);
            waitpid(program, &status, 0);
            ADD_FAILURE() << "veltdesk did not end";
        }
        program = 0;
        return status;
    }
    // Nothing left writing: no decoder, and no file in the temp folder that still grows.
    void expectNothingLeftWriting() {
        EXPECT_TRUE(waitFor([&] { return decoders().empty(); }, std::chrono::seconds(10)))
            << "a decoder outlived the program";
        std::vector<std::pair<fs::path, uintmax_t>> sizes;
        for (const auto& entry : fs::directory_iterator(dir / "run" / "veltrane"))
            sizes.emplace_back(entry.path(), sizeOf(entry.path()));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (const auto& [file, size] : sizes) EXPECT_EQ(sizeOf(file), size) << file << " grows";
    }

    static std::unique_ptr<test::TempDir> shared_;
    test::TempDir dir;
    std::string mp3;
    fs::path project;
    pid_t program = 0;
    fs::path decodeFile;
};

std::unique_ptr<test::TempDir> VeltdeskEnd::shared_;

TEST_F(VeltdeskEnd, AnEndSignalEndsTheDecoderAndRemovesItsFiles) {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        startDecoding();
        if (HasFatalFailure()) return;
        kill(program, signal);
        const int status = programEnd();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        expectNothingLeftWriting();
        EXPECT_FALSE(fs::exists(decodeFile));
        for (const auto& entry : fs::directory_iterator(dir / "run" / "veltrane"))
            EXPECT_EQ(entry.path().filename().string().rfind("~stat-", 0), std::string::npos)
                << entry.path() << " left";
    }
}

// A command-line conversion ended by a signal says so in its log, and its end status is no
// success.
TEST_F(VeltdeskEnd, ACommandLineRunEndedByASignalLogsThatItStopped) {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        const fs::path log = dir / ("log " + std::to_string(signal) + ".txt");
        startDecoding(log);
        if (HasFatalFailure()) return;
        kill(program, signal);
        const int status = programEnd();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        expectNothingLeftWriting();
        const auto lines = test::splitLines(test::readFile(log));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("  " + project.string() +
                                "  Conversion stopped: " + sigdescr_np(signal) + "."),
                  std::string::npos)
            << lines[0];
    }
}

TEST_F(VeltdeskEnd, AKilledProgramTakesItsDecoderAlongAndTheNextStartClearsItsFile) {
    startDecoding();
    if (HasFatalFailure()) return;
    const fs::path killedRun = decodeFile;
    kill(program, SIGKILL);
    programEnd();
    expectNothingLeftWriting();

    // The next run decodes into names of its own and removes what the killed one left.
    startDecoding();
    if (HasFatalFailure()) return;
    EXPECT_NE(decodeFile, killedRun);
    EXPECT_FALSE(fs::exists(killedRun));
    kill(program, SIGTERM);
    programEnd();
    expectNothingLeftWriting();
}

}  // namespace
}  // namespace velt::desk

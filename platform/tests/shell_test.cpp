#include "platform/shell/shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/help/help.h"
#include "platform/shell/command_line.h"
#include "test_support.h"

namespace velt::platform {
namespace {

TEST(CommandLine, SplitsByTheDoubleQuoteRules) {
    using Args = std::vector<std::string>;
    struct Case {
        const char* line;
        Args args;
    };
    const Case cases[] = {
        {"", {}},
        {"   ", {}},
        {"prog a  b\tc", {"prog", "a", "b", "c"}},
        {"\"/opt/My Editor/edit\" \"/music/my song.mid\"",
         {"/opt/My Editor/edit", "/music/my song.mid"}},
        {"\"/opt/ed\" /music/song.mid", {"/opt/ed", "/music/song.mid"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"a\\\\b", {"a\\\\b"}},
        {"a\\\"b", {"a\"b"}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"\"unterminated quote", {"unterminated quote"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(splitCommandLine(c.line), c.args);
    }
}

TEST(SystemShell, StartsProgramsDetachedAndRefusesMissingOnes) {
    test::TempDir dir;
    auto marker = dir / "started";
    SystemShell shell;
    ASSERT_TRUE(shell.startProgram({"sh", "-c", "echo ran > \"$0\"", marker.string()},
                                   WindowStyle::Hidden, dir.path().string()));
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(std::filesystem::exists(marker));

    EXPECT_FALSE(shell.startProgram({"no-such-program-velt", "--x"}));
    EXPECT_FALSE(shell.startProgram({(dir / "missing").string()}));
    EXPECT_FALSE(shell.startProgram({}));
    EXPECT_FALSE(shell.startProgram({""}));
    EXPECT_FALSE(shell.startProgram({"sh"}, WindowStyle::Normal, (dir / "nofolder").string()));
    EXPECT_FALSE(shell.openDocument((dir / "missing.html").string()));
}

TEST(BrowserHelp, OpensExistingPagesOnly) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "help");
    test::writeFile(dir / "help" / "index.html", "<html></html>");
    test::writeFile(dir / "help" / "97.html", "<html></html>");
    RecordingShell shell;
    BrowserHelp help(dir.path(), shell);
    EXPECT_TRUE(help.showContents());
    EXPECT_TRUE(help.showTopic(97));
    EXPECT_FALSE(help.showTopic(12345));
    EXPECT_FALSE(help.showTopic(0));
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].text, (dir / "help" / "index.html").string());
    EXPECT_EQ(shell.calls[1].text, (dir / "help" / "97.html").string());

    shell.result = false;  // no browser: no window
    EXPECT_FALSE(help.showTopic(97));

    RecordingHelp double_;
    double_.showContents();
    double_.showTopic(172);
    EXPECT_EQ(double_.topics(), std::vector<long>{172});
    EXPECT_TRUE(double_.calls[0].contents);
}

TEST(BrowserHelp, ShipsAPageForEveryTopicTheProgramNames) {
    auto help = test::binDir() / "help";
    EXPECT_TRUE(std::filesystem::exists(help / "index.html"));
    for (long topic : {25,  26,  27,  30,  31,  32,  33,  86,  89,  97,  98,  99,  101, 102,
                       116, 150, 155, 158, 159, 160, 161, 162, 163, 172, 173, 177, 178}) {
        EXPECT_TRUE(std::filesystem::exists(help / (std::to_string(topic) + ".html"))) << topic;
    }
}

}  // namespace
}  // namespace velt::platform

// Outside editors started through the system's shell as the program starts them: the editor
// gets its file as one argument whatever the name holds (quotes, blanks, $(...), backticks, a
// leading "-"), and nothing in a name is ever run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "desk/core/global.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/tools.h"
#include "test_support.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

class OutsidePrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        UseShell(nullptr);  // the system's shell: fork and exec, as the program runs
        // An editor whose own path holds a blank and a quote; it writes each argument it got,
        // NUL-terminated, to the file named by its first line, renamed into place when complete.
        editor = dir / "my \"editor\" bin" / "edit";
        fs::create_directories(editor.parent_path());
        test::writeFile(editor, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > " +
                                    test::shellQuote((dir / "args.part").string()) + " && mv " +
                                    test::shellQuote((dir / "args.part").string()) + " " +
                                    test::shellQuote(received.string()) + "\n");
        chmod(editor.c_str(), 0755);
        fs::create_directories(work);
    }
    void TearDown() override { ResetGlobal(); }

    // The arguments the editor got (without its own name); waits for them, bounded.
    Arguments waitForArguments() {
        for (int i = 0; i < 1000 && !fs::exists(received); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Arguments got;
        if (!fs::exists(received)) return {"<the editor never ran>"};
        const std::string bytes = test::readFile(received);
        for (size_t start = 0; start < bytes.size();) {
            const size_t end = bytes.find('\0', start);
            got.push_back(bytes.substr(start, end - start));
            start = end == std::string::npos ? bytes.size() : end + 1;
        }
        fs::remove(received);
        return got;
    }

    test::TempDir dir;
    fs::path editor;
    fs::path received = dir / "args";
    fs::path work = dir / "work";
};

TEST_F(OutsidePrograms, TheEditorGetsTheFileAsOneArgumentWhateverItsName) {
    struct Case {
        std::string name;      // the file name as the project holds it
        std::string argument;  // what the editor must get
    };
    const std::string w = work.string() + "/";
    const Case cases[] = {
        {w + "x\" --evil-option \"y.mid", w + "x\" --evil-option \"y.mid"},
        {w + "my song (take 2).mid", w + "my song (take 2).mid"},
        {w + "$(touch pwned).mid", w + "$(touch pwned).mid"},
        {w + "`touch pwned`.mid", w + "`touch pwned`.mid"},
        {w + "it's; touch pwned #.mid", w + "it's; touch pwned #.mid"},
        {w + "back\\\\slash\\\"q.mid", w + "back\\\\slash\\\"q.mid"},
        {"-rf --version.mid", "./-rf --version.mid"},  // relative, from the working folder
    };
    Global& g = G();
    g.MidiEditor = editor.string();
    g.AudioEditor = editor.string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g.MidiFileToEdit = c.name;
        OpenMidiInEditor();
        EXPECT_EQ(waitForArguments(), Arguments{c.argument});
        g.AudioFileToEdit = c.name + ".wav";
        OpenAudioInEditor();
        EXPECT_EQ(waitForArguments(), Arguments{c.argument + ".wav"});
    }
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists(work / "pwned"));
    EXPECT_FALSE(fs::exists(dir / "pwned"));

    // Without a file the editor starts alone.
    g.MidiFileToEdit.clear();
    OpenMidiInEditor();
    EXPECT_EQ(waitForArguments(), Arguments{});
}

}  // namespace
}  // namespace velt::desk

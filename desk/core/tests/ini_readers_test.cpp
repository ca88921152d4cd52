// The three readers of "key=value" files, fed the same lines. They differ on purpose, and each
// file kind keeps the reader it was written for: the desktop's key scanner takes the first line
// holding the key (any case, any section, the text after the line's first "="), the engine's
// project reader the last line holding the key as written (the text after the key), and
// platform/profile the first key of the named section, compared whole, its value trimmed and
// unquoted.
#include <gtest/gtest.h>

#include <string>

#include "desk/core/shared/ini_scan.h"
#include "platform/profile/profile.h"
#include "project/project_text.h"
#include "test_support.h"

namespace velt::desk {
namespace {

TEST(IniReaders, TheSameLinesReadThreeWays) {
    test::TempDir dir;
    const auto file = dir / "readers.ini";
    test::writeFile(file,
                    "[midi]\r\n"
                    "KitName=First\r\n"
                    "DrumKit = Spaced\r\n"
                    "Tail=v  \r\n"
                    "[other]\r\n"
                    "KitName=Second\r\n"
                    "kitname=lower\r\n"
                    "Ensemble=x PartKey=inner\r\n"
                    "Quoted=\"q v\"\r\n");
    const auto engineText = engine::ProjectText::Load(file);
    ASSERT_TRUE(engineText.has_value());

    struct Case {
        const char* section;
        const char* key;
        const char* desk;     // ReadIniString
        const char* engine;   // ProjectText::readString
        const char* profile;  // profile::readString
    } cases[] = {
        // First match against last match; only the profile looks at the section.
        {"midi", "KitName", "First", "Second", "First"},
        {"other", "KitName", "First", "Second", "Second"},
        // Only the engine compares case.
        {"other", "kitname", "First", "lower", "Second"},
        // Blanks around "=": only the profile finds the key.
        {"midi", "DrumKit", "-", "-", "Spaced"},
        // A key inside another key's value: the scanners find it, the profile does not. The
        // desktop's scanner gives the text after the line's first "=", the engine the text after
        // the key.
        {"other", "PartKey", "x PartKey=inner", "inner", "-"},
        // Only the profile trims blanks and takes a value out of its quotes.
        {"midi", "Tail", "v  ", "v  ", "v"},
        {"other", "Quoted", "\"q v\"", "\"q v\"", "q v"},
        {"midi", "Missing", "-", "-", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ReadIniString(c.section, c.key, "-", file.string()), c.desk);
        std::string engineValue = "-";
        engineText->readString(std::string(c.key) + "=", 0, engineValue);
        EXPECT_EQ(engineValue, c.engine);
        EXPECT_EQ(platform::profile::readString(c.section, c.key, "-", file), c.profile);
    }
}

}  // namespace
}  // namespace velt::desk

#include "platform/profile/profile.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace velt::platform::profile {
namespace {

const char* const kSample =
    "[audio]\r\n"
    "AudioFile=/music/a.wav\r\n"
    "Tempo=-5\r\n"
    "Tempo=99\r\n"
    "Empty=\r\n"
    "Mixed=12abc\r\n"
    "Word=abc\r\n"
    "  Spaced Key  =  padded value  \r\n"
    "Quoted=\"  kept  \"\r\n"
    "[pitch]\r\n"
    "Tempo=7\r\n"
    "[Audio]\r\n"
    "Late=1\r\n";

TEST(Profile, ReadsByTheClassicRules) {
    test::TempDir dir;
    auto file = dir / "p.ini";
    test::writeFile(file, kSample);
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        const char* text;  // expected readString with default "dflt"
        int number;        // expected readInt with default 42
    };
    const Case cases[] = {
        {"plain", "audio", "AudioFile", "/music/a.wav", 0},
        {"case-insensitive", "AUDIO", "audiofile", "/music/a.wav", 0},
        {"duplicate key: first wins", "audio", "Tempo", "-5", -5},
        {"key of another section", "pitch", "Tempo", "7", 7},
        {"empty value", "audio", "Empty", "", 0},
        {"leading digits", "audio", "Mixed", "12abc", 12},
        {"non-numeric", "audio", "Word", "abc", 0},
        {"blanks trimmed", "audio", "Spaced Key", "padded value", 0},
        {"quotes stripped", "audio", "Quoted", "  kept  ", 0},
        {"missing key", "audio", "Nope", "dflt", 42},
        {"missing section", "midi", "Tempo", "dflt", 42},
        {"duplicate section: the first one only", "audio", "Late", "dflt", 42},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readString(c.section, c.key, "dflt", file), c.text);
        EXPECT_EQ(readInt(c.section, c.key, 42, file), c.number);
    }
    EXPECT_EQ(readString("audio", "Tempo", "dflt", dir / "missing.ini"), "dflt");
    EXPECT_EQ(readInt("audio", "Tempo", 3, dir / "missing.ini"), 3);
}

TEST(Profile, ParsesLeadingIntegers) {
    EXPECT_EQ(parseLeadingInt("+17x"), 17);
    EXPECT_EQ(parseLeadingInt("  -0"), 0);
    EXPECT_EQ(parseLeadingInt("-"), 0);
    EXPECT_EQ(parseLeadingInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(parseLeadingInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(Profile, WritesInPlaceAndAppendsInOrder) {
    test::TempDir dir;
    auto file = dir / "new.ini";
    ASSERT_TRUE(writeString("other", "VprFormat", "3", file));
    ASSERT_TRUE(writeString("audio", "AudioFile", "a.wav", file));
    ASSERT_TRUE(writeString("other", "Name", "x", file));
    ASSERT_TRUE(writeString("AUDIO", "audiofile", "b.wav", file));
    EXPECT_EQ(test::readFile(file), "[other]\nVprFormat=3\nName=x\n[audio]\nAudioFile=b.wav\n");

    // A CR LF file comes back with LF; a new key goes before the blank line ending its section.
    test::writeFile(file, "[a]\r\nk=1\r\n\r\n[b]\r\nk=2\r\n");
    ASSERT_TRUE(writeString("a", "n", "new", file));
    EXPECT_EQ(test::readFile(file), "[a]\nk=1\nn=new\n\n[b]\nk=2\n");
}

TEST(Profile, LongLinesAndRefusedTexts) {
    test::TempDir dir;
    auto file = dir / "long.ini";
    std::string longValue(100000, 'v');
    ASSERT_TRUE(writeString("s", "k", longValue, file));
    EXPECT_EQ(readString("s", "k", "", file), longValue);

    EXPECT_FALSE(writeString("s", "k", "two\nlines", file));
    EXPECT_FALSE(writeString("s", "a=b", "v", file));
    EXPECT_EQ(readString("s", "k", "", file), longValue);
    EXPECT_FALSE(writeString("s", "k", "v", dir / "no" / "such" / "folder.ini"));
}

}  // namespace
}  // namespace velt::platform::profile

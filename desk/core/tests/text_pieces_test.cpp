// Switches, time texts, path pieces, number texts, the key scanner, key names and the needle.
#include "desk/core/shared/text_pieces.h"

#include <gtest/gtest.h>

#include "desk/core/global.h"
#include "desk/core/shared/ini_scan.h"
#include "desk/core/shared/key_names.h"
#include "test_support.h"

namespace velt::desk {
namespace {

TEST(GetSwitch, FindsPlainAndQuotedValues) {
    struct Case {
        const char* name;
        std::string cmd, sw;
        bool found;
        std::string value;
    } cases[] = {
        {"plain value ends at a blank", "/prf=/a/song.vpr /log=x \"", "/prf=", true, "/a/song.vpr"},
        {"quoted value with blanks", "/prf=\"/my songs/a.vpr\" /dir=/p \"", "/prf=", true,
         "/my songs/a.vpr"},
        {"second switch", "/prf=a /dir=/prog \"", "/dir=", true, "/prog"},
        {"exact case only", "/PRF=a \"", "/prf=", false, "untouched"},
        {"first occurrence wins", "/log=one /log=two \"", "/log=", true, "one"},
        {"value without an end runs to the end", "/prf=abc", "/prf=", true, "abc"},
        {"open quote without a close", "/prf=\"abc", "/prf=", true, "abc"},
        {"switch at the very end", "x /prf=", "/prf=", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string value = "untouched";
        EXPECT_EQ(GetSwitch(c.cmd, c.sw, value), c.found);
        EXPECT_EQ(value, c.value);
    }
}

TEST(TimeTexts, FormatParseAndTrim) {
    EXPECT_EQ(FormatHMS(3725), "01:02:05");
    EXPECT_EQ(FormatHMS(0), "00:00:00");
    EXPECT_EQ(FormatHMS(360000), "100:00:00");
    EXPECT_EQ(FormatHMS(-5), "00:00:00");

    struct Parse {
        std::string text;
        int32_t seconds;
    } parses[] = {{"00:10:30", 630}, {"01:60:00", -1}, {"00:00:60", -1}, {"01:02:05", 3725},
                  {"ab:cd:ef", 0},   {"", 0},          {"5", 18005},     {"  :  :  ", 0}};
    for (const auto& p : parses) {
        SCOPED_TRACE(p.text);
        EXPECT_EQ(ParseHMS(p.text), p.seconds);
    }

    struct Trim {
        std::string in, out, kept;
    } trims[] = {{"00:03:25", "3:25", "    3:25"},
                 {"01:02:03", "1:02:03", " 1:02:03"},
                 {"10:00:00", "10:00:00", "10:00:00"},
                 {"00:10:00", "10:00", "   10:00"},
                 {"00:00:07", ":07", "     :07"},
                 {"0", "", " "},
                 {"", "", ""}};
    for (const auto& t : trims) {
        SCOPED_TRACE(t.in);
        std::string text = t.in;
        EXPECT_EQ(TrimTime(text), t.out);
        EXPECT_EQ(text, t.kept);
    }
}

TEST(PathPieces, FolderBaseQuotesAndSamplesPath) {
    EXPECT_EQ(BaseNameOf("/a.b/song"), "song");
    EXPECT_EQ(BaseNameOf("x.tar.gz"), "x.tar");
    EXPECT_EQ(BaseNameOf("/music/take 1.wav"), "take 1");
    EXPECT_EQ(BaseNameOf("/music/"), "");
    EXPECT_EQ(FolderOf("song.wav"), "");
    EXPECT_EQ(FolderOf("/music/a/song.wav"), "/music/a/");
    EXPECT_EQ(StripQuotes("\"/a b/c\""), "/a b/c");
    EXPECT_EQ(StripQuotes("\""), "");
    EXPECT_EQ(StripQuotes("plain"), "plain");

    ResetGlobal();
    G().ProjectFolder = "/p/";
    EXPECT_EQ(CheckSamplesPath("Samples/x.wav"), "/p/Samples/x.wav");
    EXPECT_EQ(CheckSamplesPath("/m/x.wav"), "/m/x.wav");
    ResetGlobal();
}

TEST(NumberTexts, SinglesWriteWithPointAndReadEitherWay) {
    struct Out {
        float value;
        std::string text;
    } outs[] = {{440, "440"},      {0.5f, "0.5"},           {-1, "-1"}, {3600, "3600"},
                {439.5f, "439.5"}, {2.584963f, "2.584963"}, {0, "0"},   {123.4567f, "123.4567"}};
    for (const auto& o : outs) {
        SCOPED_TRACE(o.text);
        EXPECT_EQ(FormatSingle(o.value), o.text);
        EXPECT_FLOAT_EQ(static_cast<float>(Val(o.text)), o.value);
    }
    EXPECT_DOUBLE_EQ(Val("439,5"), 439.5);
    EXPECT_DOUBLE_EQ(Val("  -12.5abc"), -12.5);
    EXPECT_DOUBLE_EQ(Val("1e-07"), 1e-07);
    EXPECT_DOUBLE_EQ(Val("2e"), 2);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val(""), 0);
    EXPECT_DOUBLE_EQ(Val("1e999"), 0);
}

TEST(ReadIniString, FirstLineWithTheKeyWinsAnywhere) {
    test::TempDir dir;
    auto file = dir / "p.vpr";
    test::writeFile(file,
                    "[pitch]\r\nKeyMin0=40\r\nKEYMIN=30\r\n[timing]\r\nTempoFile=/t.tt\r\n"
                    "  x Tempo=97,5\r\nTempo=100\r\nEmpty=\r\n");
    struct Case {
        std::string key, value;
    } cases[] = {
        {"KeyMin", "30"},   // KeyMin0= does not hold "KeyMin="; case is ignored
        {"Tempo", "97,5"},  // TempoFile= does not match; text before the key is allowed
        {"Empty", ""},
        {"Missing", "dflt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ReadIniString("any", c.key, "dflt", file.string()), c.value);
    }
    EXPECT_EQ(ReadIniString("", "KeyMin", "dflt", (dir / "none.vpr").string()), "dflt");
    EXPECT_EQ(ReadIniString("", "KeyMin", "dflt", dir.path().string()), "dflt");  // a folder
    EXPECT_EQ(ReadIniString("", "KeyMin", "dflt", ""), "dflt");
}

TEST(KeyName, EveryRowAndOutside) {
    EXPECT_EQ(KeyName(-3, 0), "Eb major (3 flats)");
    EXPECT_EQ(KeyName(-7, 0), "Cb major (7 flats)");
    EXPECT_EQ(KeyName(-7, 1), "Ab minor (7 flats)");
    EXPECT_EQ(KeyName(-1, 1), "D minor (1 flat)");
    EXPECT_EQ(KeyName(0, 0), "C major");
    EXPECT_EQ(KeyName(0, 1), "A minor");
    EXPECT_EQ(KeyName(1, 0), "G major (1 sharp)");
    EXPECT_EQ(KeyName(3, 1), "F# minor (3 sharps)");
    EXPECT_EQ(KeyName(7, 1), "A# minor (7 sharps)");
    EXPECT_EQ(KeyName(8, 0), "");
    EXPECT_EQ(KeyName(-8, 1), "");
}

TEST(Needle, HalfCircleOfRadius500) {
    // Left end, top and right end of the arc, and a point in between.
    EXPECT_EQ(ArcX(1000, 10, 0, 0), 500);
    EXPECT_EQ(ArcY(1000, 10, 0, 0), 940);
    EXPECT_EQ(ArcX(1000, 10, 0, 5), 1000);
    EXPECT_EQ(ArcY(1000, 10, 0, 5), 440);
    EXPECT_EQ(ArcX(1000, 10, 0, 10), 1500);
    EXPECT_EQ(ArcY(1000, 10, 0, 10), 940);
    EXPECT_EQ(ArcX(0, 4, 0, 1), -354);  // -cos(pi/4) * 500 = -353.55
    EXPECT_EQ(ArcY(0, 4, 0, 1), -414);  // -353.55 - 60
    // No steps at all: the first point, never a division by zero.
    EXPECT_EQ(ArcX(100, 3, 3, 3), -400);
    // Results stay in the 16-bit range.
    EXPECT_EQ(ArcX(32767, 10, 0, 10), 32767);
    EXPECT_EQ(ArcX(-32768, 10, 0, 0), -32768);
}

}  // namespace
}  // namespace velt::desk

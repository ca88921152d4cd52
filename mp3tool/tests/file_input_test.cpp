// The file input module: opening files (and refusing what cannot be read), whole-block reads,
// and the ID3v1 tag published as stream properties.
#include "modules/file_input.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_modules.h"
#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "test_support.h"

namespace velt::mp3 {
namespace {

std::string field(const std::string& text, std::size_t size, char pad) {
    std::string out = text.substr(0, size);
    out.resize(size, pad);
    return out;
}

std::string id3v1(const std::string& title, const std::string& artist, char genre) {
    return "TAG" + field(title, 30, ' ') + field(artist, 30, '\0') + field("Album", 30, ' ') +
           "1999" + field("Comment", 30, '\0') + std::string(1, genre);
}

class FileInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control.setErrorCallback([this](int, std::string_view message, std::string_view detail) {
            messages.push_back(std::string(message) + ": " + std::string(detail));
        });
        ASSERT_GE(control.registerInputModule(fileInputModule()), 0);
        ASSERT_GE(control.registerCodecModule(fake::codecModule(log, {})), 0);
    }

    int open(const std::string& name) {
        control.selectInput(name);
        return control.openInput();
    }

    std::string stringProperty(const std::string& name) {
        std::string text = "<none>";
        control.getStreamString(name, text);
        return text;
    }

    velt::test::TempDir dir;
    fake::Log log;
    ControlBlock control;
    std::vector<std::string> messages;
};

TEST_F(FileInputTest, PublishesTheId3v1TagOfAnMp3FileAndStartsAtTheBeginning) {
    const std::string audio(300, 'A');
    const std::string path = (dir / "song.mp3").string();
    velt::test::writeFile(path, audio + id3v1("Abcd", "An Artist", '\xff'));
    ASSERT_EQ(open(path), kOk);

    EXPECT_EQ(stringProperty("id3/title"), "Abcd");
    EXPECT_EQ(stringProperty("id3/artist"), "An Artist");
    EXPECT_EQ(stringProperty("id3/album"), "Album");
    EXPECT_EQ(stringProperty("id3/year"), "1999");
    EXPECT_EQ(stringProperty("id3/comment"), "Comment");
    std::int32_t genre = 0;
    EXPECT_EQ(control.getStreamInteger("id3/genre", genre), kOk);
    EXPECT_EQ(genre, -1);

    std::vector<std::uint8_t> first(4);
    ASSERT_EQ(control.readInput(first), kOk);
    EXPECT_EQ(first, (std::vector<std::uint8_t>{'A', 'A', 'A', 'A'}));
}

TEST_F(FileInputTest, KeepsAFullWidthTitleWhole) {
    const std::string title(30, 'T');
    const std::string path = (dir / "full.mp3").string();
    velt::test::writeFile(path, std::string(10, 'x') + id3v1(title, "", 17));
    ASSERT_EQ(open(path), kOk);
    EXPECT_EQ(stringProperty("id3/title"), title);
}

TEST_F(FileInputTest, ReadsNoTagWhereThereIsNone) {
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"upper.MP3", std::string(200, 'x') + id3v1("Hidden", "", 1)},  // only ".mp3" is looked at
        {"short.mp3", "TAGshort"},                                      // shorter than a tag
        {"plain.mp3", std::string(400, 'x')},                           // no "TAG"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        velt::test::writeFile(path, c.content);
        ASSERT_EQ(open(path), kOk);
        EXPECT_EQ(control.streamProperties().size(), 0u);
        std::vector<std::uint8_t> first(3);
        ASSERT_EQ(control.readInput(first), kOk);
        EXPECT_EQ(std::string(first.begin(), first.end()), c.content.substr(0, 3));
        control.closeInput();
    }
}

TEST_F(FileInputTest, DeliversWholeBlocksAndReportsTheSizeAndSeeks) {
    const std::string path = (dir / "data.bin").string();
    velt::test::writeFile(path, std::string(10000, 'd'));
    ASSERT_EQ(open(path), kOk);
    EXPECT_TRUE(control.inputSeekable());
    EXPECT_EQ(control.inputSize(), 10000u);
    std::vector<std::uint8_t> block(4096);
    EXPECT_EQ(control.readInput(block), kOk);
    EXPECT_EQ(control.readInput(block), kOk);
    EXPECT_EQ(control.readInput(block), kEndOfStream);
    ASSERT_EQ(control.seekInput(9000), kOk);
    EXPECT_EQ(control.readInputSome(block), 1000);
}

TEST_F(FileInputTest, RefusesWhatCannotBeRead) {
    EXPECT_EQ(open((dir / "missing.mp3").string()), kNoSuchFile);
    EXPECT_EQ(messages.back(), "cannot open input file: file not found");
    EXPECT_EQ(open(dir.path().string()), kOpenFailed);  // a folder
    EXPECT_EQ(open(""), kInternalError);                // no instance for an empty name
    EXPECT_EQ(messages.at(messages.size() - 2),
              "internal error: null params or null/empty input name");
}

TEST_F(FileInputTest, StandardInputIsNeitherSeekableNorSized) {
    ASSERT_EQ(open("-"), kOk);
    EXPECT_FALSE(control.inputSeekable());
    EXPECT_EQ(control.inputSize(), 0u);
    EXPECT_TRUE(log.codecCalls == std::vector<std::string>{"newStream"});  // no probe
}

TEST_F(FileInputTest, DescribesItsTwoDevices) {
    ModuleDescription d;
    ASSERT_EQ(control.inputModuleInfo(0, d, kInfoName | kInfoDevices), kOk);
    EXPECT_EQ(d.name, "Input From File");
    EXPECT_EQ(d.version, "Version 1.2");
    EXPECT_EQ(d.devices, 2);
    d.device = 1;
    ASSERT_EQ(control.inputModuleInfo(0, d, kInfoDevice), kOk);
    EXPECT_EQ(d.deviceName, "-");
    EXPECT_EQ(d.deviceDescription, "standard input");
    EXPECT_FALSE(d.deviceIsFile);
    d.device = 2;
    EXPECT_EQ(control.inputModuleInfo(0, d, kInfoDevice), kInvalidParameters);
}

}  // namespace
}  // namespace velt::mp3

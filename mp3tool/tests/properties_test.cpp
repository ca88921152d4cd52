// The property list (one property per name, typed, watched) and the binary form of its snapshots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/error_codes.h"
#include "framework/property_binary.h"
#include "framework/property_list.h"

namespace velt::mp3 {
namespace {

TEST(PropertyList, KeepsOnePropertyPerNameAndTellsItsWatchers) {
    PropertyList list;
    std::vector<std::string> told;
    int handle = 0;
    ASSERT_EQ(list.addWatcher(
                  "id3/title",
                  [&](std::string_view name, const Property* p) {
                      told.push_back(std::string(name) + "=" + (p ? p->text : "<deleted>"));
                  },
                  handle),
              kOk);

    EXPECT_EQ(list.setString("id3/title", "First"), kOk);
    EXPECT_EQ(list.setString("id3/title", "Second"), kOk);
    EXPECT_EQ(list.setString("id3/artist", "Someone"), kOk);  // not watched
    EXPECT_EQ(list.size(), 2u);
    std::string text;
    EXPECT_EQ(list.getString("id3/title", text), kOk);
    EXPECT_EQ(text, "Second");
    EXPECT_EQ(list.remove("id3/title"), kOk);
    EXPECT_EQ(told, (std::vector<std::string>{"id3/title=First", "id3/title=Second",
                                              "id3/title=<deleted>"}));
}

TEST(PropertyList, RefusesWrongTypesUnknownNamesAndMissingArguments) {
    PropertyList list;
    ASSERT_EQ(list.setString("id3/genre", "Rock"), kOk);
    ASSERT_EQ(list.setInteger("mpeg/layer", 3), kOk);

    EXPECT_EQ(list.setInteger("id3/genre", 17), kInvalidPropertyType);
    EXPECT_EQ(list.setString("mpeg/layer", "III"), kInvalidPropertyType);
    std::string text;
    std::int32_t value = 0;
    EXPECT_EQ(list.getString("mpeg/layer", text), kInvalidPropertyType);
    EXPECT_EQ(list.getInteger("id3/genre", value), kInvalidPropertyType);
    EXPECT_EQ(list.getInteger("nothing", value), kNoSuchProperty);
    EXPECT_EQ(list.remove("nothing"), kNoSuchProperty);
    EXPECT_EQ(list.setInteger("", 1), kInvalidParameters);
    EXPECT_EQ(list.getString("", text), kInvalidParameters);

    // Nothing changed through the refusals; names compare with their letter case.
    EXPECT_EQ(list.getString("id3/genre", text), kOk);
    EXPECT_EQ(text, "Rock");
    EXPECT_EQ(list.getInteger("mpeg/layer", value), kOk);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(list.getInteger("MPEG/layer", value), kNoSuchProperty);
}

TEST(PropertyList, RemovingTheOldestWatcherKeepsTheOthersInOrder) {
    PropertyList list;
    std::vector<int> told;
    int handles[3] = {};
    for (int i = 0; i < 3; ++i) {
        list.addWatcher(
            "x", [&told, i](std::string_view, const Property*) { told.push_back(i); }, handles[i]);
    }
    EXPECT_EQ(list.removeWatcher(handles[0]), kOk);
    list.setInteger("x", 1);
    EXPECT_EQ(told, (std::vector<int>{2, 1}));  // newest first
    EXPECT_EQ(list.removeWatcher(handles[0]), -1);
}

TEST(PropertyList, SnapshotListsNewestFirstAndClearTellsWatchers) {
    PropertyList list;
    list.setString("a", "1");
    list.setInteger("b", 2);
    list.setString("a", "3");  // an update keeps its place
    const PropertySnapshot snap = list.snapshot();
    ASSERT_EQ(snap.size(), 2u);
    EXPECT_EQ(snap[0].name, "b");
    EXPECT_EQ(snap[1].name, "a");
    EXPECT_EQ(snap[1].text, "3");

    int deletions = 0;
    int handle = 0;
    list.addWatcher(
        "a", [&](std::string_view, const Property* p) { deletions += p == nullptr; }, handle);
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(deletions, 1);
}

TEST(PropertyBinary, WritesTheCompactBigEndianForm) {
    const PropertySnapshot one = {{"a", PropertyType::String, "bc", 0}};
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(writePropertyBinary(one, bytes), 14);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 0, 1, 'a', 0, 0, 2, 'b', 'c', 0}));
    EXPECT_EQ(propertyBinarySize(one), 14u);

    PropertySnapshot back;
    EXPECT_EQ(readPropertyBinary(bytes, back), 14);
    EXPECT_EQ(back, one);

    ASSERT_EQ(writePropertyBinary({}, bytes), 4);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(readPropertyBinary(bytes, back), 4);
    EXPECT_TRUE(back.empty());
}

TEST(PropertyBinary, RoundTripsMixedEntries) {
    PropertyList list;
    list.setString("id3/title", "Song");
    list.setInteger("id3/genre", -1);
    list.setInteger("mpeg/layer", 3);
    list.setString("id3/comment", "");
    const PropertySnapshot snap = list.snapshot();
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(writePropertyBinary(snap, bytes), static_cast<int>(propertyBinarySize(snap)));
    bytes.push_back(0x55);  // bytes after the form are not part of it
    PropertySnapshot back;
    EXPECT_EQ(readPropertyBinary(bytes, back), static_cast<int>(bytes.size() - 1));
    EXPECT_EQ(back, snap);
}

TEST(PropertyBinary, RefusesShortAndOverlongForms) {
    const std::vector<std::uint8_t> good = {0, 0, 0, 1, 0, 0, 1, 'a', 0, 0, 2, 'b', 'c', 0};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"count cut short", {0, 0}},
        {"count beyond the bytes", {0x7f, 0xff, 0xff, 0xff}},
        {"name length beyond the bytes", {0, 0, 0, 1, 0, 0xff, 0xff, 'a', 0}},
        {"name without its NUL", {0, 0, 0, 1, 0, 0, 1, 'a', 'x', 0, 0, 0, 0}},
        {"integer cut short", {0, 0, 0, 1, 1, 0, 1, 'a', 0, 0, 0}},
    };
    for (std::size_t cut = 1; cut < good.size(); ++cut) {
        cases.push_back({"cut", std::vector<std::uint8_t>(good.begin(), good.begin() + cut)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.bytes.size()));
        PropertySnapshot snap = {{"keep", PropertyType::Integer, {}, 7}};
        EXPECT_EQ(readPropertyBinary(c.bytes, snap), kInvalidParameters);
        ASSERT_EQ(snap.size(), 1u);  // untouched on failure
    }
}

TEST(PropertyBinary, RefusesTextsLongerThanTheLengthFieldHolds) {
    const PropertySnapshot big = {{"a", PropertyType::String, std::string(70000, 'x'), 0}};
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(writePropertyBinary(big, bytes), kInvalidParameters);
}

}  // namespace
}  // namespace velt::mp3

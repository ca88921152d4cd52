#include <gtest/gtest.h>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

int count(const std::vector<std::string>& trace, const std::string& event) {
    return static_cast<int>(std::count(trace.begin(), trace.end(), event));
}

TEST(ComboBox, ListIndexTextAndRows) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    auto& key = f.cboKey;          // drop-down list, row 0 selected at design
    auto& audio = f.cboAudioFile;  // editable
    ui.clearEvents();

    key.setListIndex(0);  // the row already selected: Click again
    key.setListIndex(2);
    EXPECT_EQ(key.Text(), "D major (2 sharps)");
    key.setListIndex(-1);
    EXPECT_EQ(key.Text(), "");
    EXPECT_EQ(key.setListIndex(4), Status::Refused);
    EXPECT_EQ(key.setText("G major (1 sharp)"), Status::Ok);
    EXPECT_EQ(key.ListIndex(), 1);
    EXPECT_EQ(key.setText("g major (1 sharp)"), Status::Refused);
    EXPECT_EQ(count(ui.trace(), "cboKey_Click"), 3);
    EXPECT_EQ(count(ui.trace(), "cboKey_Change"), 0);

    // Rows move under the selection; removing it clears it.
    key.AddItem("first", 0);
    EXPECT_EQ(key.ListIndex(), 2);
    key.RemoveItem(0);
    EXPECT_EQ(key.ListIndex(), 1);
    key.setList(1, "renamed");
    EXPECT_EQ(key.Text(), "renamed");
    key.RemoveItem(1);
    EXPECT_EQ(key.ListIndex(), -1);
    EXPECT_EQ(key.Text(), "");
    EXPECT_EQ(key.AddItem("x", 9), Status::Refused);
    EXPECT_EQ(key.List(99), "");

    ui.clearEvents();
    audio.setText("/music/take2.wav");
    EXPECT_EQ(audio.ListIndex(), 1);
    audio.setText("/music/take2.wav");
    audio.setText("/music/other.wav");
    EXPECT_EQ(audio.ListIndex(), -1);
    audio.setListIndex(0);
    audio.setListIndex(-1);
    EXPECT_EQ(audio.Text(), "/music/take1.wav");  // an editable combo keeps its text
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"cboAudioFile_Change", "cboAudioFile_Change",
                                                    "cboAudioFile_Click"}));
    audio.Clear();
    EXPECT_EQ(audio.ListCount(), 0);
    EXPECT_EQ(audio.Text(), "");
}

TEST(ComboBox, PairedListsSetEachOtherOnce) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    int checks = 0;
    f.on("cboKey_Click", [&] {
        f.lstParts.setListIndex(f.cboKey.ListIndex());
        ++checks;
    });
    f.on("lstParts_Click", [&] { f.cboKey.setListIndex(f.lstParts.ListIndex()); });
    ui.clearEvents();
    ASSERT_TRUE(ui.user().pick(f.cboKey, 2));
    EXPECT_EQ(f.lstParts.ListIndex(), 2);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(count(ui.trace(), "cboKey_Click"), 1);
    EXPECT_EQ(count(ui.trace(), "lstParts_Click"), 1);

    // A user pick of the row already selected raises Click again.
    ui.user().pick(f.cboKey, 2);
    EXPECT_EQ(checks, 2);
}

TEST(ComboBox, UserTypingAndLetterSearch) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    ui.clearEvents();
    u.type(f.cboKey, "f");  // the next row starting with "f"
    EXPECT_EQ(f.cboKey.ListIndex(), 3);
    u.key(f.cboKey, Key::Up);
    EXPECT_EQ(f.cboKey.ListIndex(), 2);
    EXPECT_EQ(count(ui.trace(), "cboKey_Click"), 2);

    u.type(f.cboAudioFile, "/music/take1.wav");
    EXPECT_EQ(f.cboAudioFile.ListIndex(), 0);
    u.type(f.cboAudioFile, "\b");
    EXPECT_EQ(f.cboAudioFile.Text(), "/music/take1.wa");
    EXPECT_EQ(f.cboAudioFile.ListIndex(), -1);
    EXPECT_EQ(count(ui.trace(), "cboAudioFile_Change"), 17);
    EXPECT_EQ(count(ui.trace(), "cboAudioFile_Click"), 0);
}

TEST(ListBox, ClicksKeysAndText) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    ui.clearEvents();
    u.clickRow(f.lstParts, 1);
    u.clickRow(f.lstParts, 1, true);
    u.key(f.lstParts, Key::Down);
    EXPECT_EQ(f.lstParts.Text(), "Strings");
    // The form's first stop, txtName, had the focus since Show.
    EXPECT_EQ(ui.trace(),
              (std::vector<std::string>{"txtName_LostFocus", "lstParts_GotFocus", "lstParts_Click",
                                        "lstParts_Click", "lstParts_DblClick", "lstParts_Click"}));
    EXPECT_EQ(f.lstParts.setListIndex(7), Status::Refused);
    EXPECT_EQ(f.lstParts.ListIndex(), 2);
}

}  // namespace
}  // namespace velt::ui

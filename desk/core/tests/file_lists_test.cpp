// The rows of the file lists and the MIDI file beside an audio file.
#include "desk/core/shared/file_lists.h"

#include <gtest/gtest.h>

namespace velt::desk {
namespace {

TEST(FileLists, RowsAndTheMidiFileBeside) {
    EXPECT_EQ(FileListRow(1, "/music/song.wav"), "1. song");
    EXPECT_EQ(FileListRow(12, "/my songs/a.b.mp3"), "12. a.b");
    EXPECT_EQ(FileListRow(3, "/music/song.mid"), "3. song");
    EXPECT_EQ(MidiFileBeside("/music/song.wav"), "/music/song.mid");
    EXPECT_EQ(MidiFileBeside("/my songs/a.b.mp3"), "/my songs/a.b.mid");
}

}  // namespace
}  // namespace velt::desk

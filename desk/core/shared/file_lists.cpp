#include "desk/core/shared/file_lists.h"

#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

std::string FileListRow(int index, const std::string& path) {
    return std::to_string(index) + ". " + BaseNameOf(path);
}

std::string MidiFileBeside(const std::string& audioPath) {
    return FolderOf(audioPath) + BaseNameOf(audioPath) + ".mid";
}

}  // namespace velt::desk

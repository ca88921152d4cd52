#include "desk/core/placeholders/stand_in_audio.h"

#include <fstream>

#include "desk/core/global.h"
#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

bool LooksLikeWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    if (!in.read(head, sizeof head)) return false;
    return std::string(head, 4) == "RIFF" && std::string(head + 8, 4) == "WAVE";
}

void UseSingleAudioFile(const std::string& path) {
    Global& g = G();
    g.AudioFileCount = 1;
    g.AudioFiles.redim(1);
    g.MidiFiles.redim(1);
    g.AudioFiles(1) = path;
    g.MidiFiles(1) = FolderOf(path) + BaseNameOf(path) + ".mid";
    g.AudioFolder = FolderOf(path);
    g.SourceAudioFile.clear();
    g.WaveReady = false;
    g.AudioFileValid = LooksLikeWave(path);
}

}  // namespace velt::desk

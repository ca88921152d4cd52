// A project with one audio file, set straight in the shared module as the settings dialog's
// Apply leaves it: its MIDI file beside it, its folder remembered, convertible when it is a RIFF
// WAVE file.
#pragma once

#include <fstream>
#include <string>

#include "desk/core/global.h"
#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

inline void UseSingleAudioFile(const std::string& path) {
    Global& g = G();
    g.AudioFileCount = 1;
    g.AudioFiles.redim(1);
    g.MidiFiles.redim(1);
    g.AudioFiles(1) = path;
    g.MidiFiles(1) = FolderOf(path) + BaseNameOf(path) + ".mid";
    g.AudioFolder = FolderOf(path);
    g.SourceAudioFile.clear();
    g.WaveReady = false;
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    g.AudioFileValid = in.read(head, sizeof head) && std::string(head, 4) == "RIFF" &&
                       std::string(head + 8, 4) == "WAVE";
}

}  // namespace velt::desk

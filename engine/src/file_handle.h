// A C stream that is closed when its owner goes away (the engine's files: audio, tempo, MIDI,
// status).
#pragma once

#include <cstdio>
#include <memory>

namespace velt::engine {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) std::fclose(file);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace velt::engine

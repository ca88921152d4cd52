#include "app/status_file.h"

namespace velt::mp3 {

bool StatusFile::create(const std::string& path) {
    close();
    // Binary mode with an explicit "\r\n": the line end of the file is the same on every system.
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
}

void StatusFile::writeOutcome(std::string_view line) {
    if (file_ == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fputs("\r\n", file_);
    close();
}

void StatusFile::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace velt::mp3

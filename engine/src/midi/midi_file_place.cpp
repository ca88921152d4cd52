#include "midi/midi_file_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace velt::engine {

namespace {

constexpr const char* kWorkSuffix = ".kvxpart";

}  // namespace

std::string MidiWorkPath(const std::string& target) {
    return target + kWorkSuffix;
}

FileHandle CreateMidiWorkFile(const std::string& target, const std::string& work) {
    mode_t mode = 0666;  // narrowed by the umask, as any new file
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) return nullptr;
        mode = existing.st_mode & 07777;
    }
    struct stat stale {};
    if (lstat(work.c_str(), &stale) == 0 && (S_ISREG(stale.st_mode) || S_ISLNK(stale.st_mode)))
        unlink(work.c_str());
    const int descriptor =
        open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    if (mode != 0666) fchmod(descriptor, mode);
    FileHandle file(fdopen(descriptor, "wb"));
    if (!file) {
        close(descriptor);
        unlink(work.c_str());
    }
    return file;
}

bool PlaceMidiFile(const std::string& work, const std::string& target) {
    if (std::rename(work.c_str(), target.c_str()) == 0) return true;
    unlink(work.c_str());
    return false;
}

}  // namespace velt::engine

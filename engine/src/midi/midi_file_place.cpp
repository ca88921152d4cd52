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
    struct stat existing {};
    const bool replacing = stat(target.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) return nullptr;
    struct stat stale {};
    if (lstat(work.c_str(), &stale) == 0 && (S_ISREG(stale.st_mode) || S_ISLNK(stale.st_mode)))
        unlink(work.c_str());
    // A new file gets 0666 narrowed by the umask, as any other; a replaced one keeps its own.
    const int descriptor =
        open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    if (replacing) fchmod(descriptor, existing.st_mode & 0777);
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

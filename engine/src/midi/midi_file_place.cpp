#include "midi/midi_file_place.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

namespace velt::engine {

namespace {

constexpr const char* kWorkSuffix = ".kvxpart";
constexpr int kNameAttempts = 64;

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when path names the very file open as descriptor (a regular file, not a link to it).
bool namesOpenFile(const std::string& path, int descriptor) {
    struct stat named {};
    struct stat open {};
    return lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
           fstat(descriptor, &open) == 0 && sameFile(named, open);
}

// Removes the working file at path unless a running engine holds it: its lock is taken
// without waiting, and only the file still under that name when the lock is held is removed.
void removeUnheld(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return;
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 && namesOpenFile(path, descriptor)) {
        unlink(path.c_str());
    }
    close(descriptor);
}

// The working files of killed runs on this target: the names beginning with the prefix in
// the target's folder.
void removeStaleWorkFiles(const std::string& target) {
    namespace fs = std::filesystem;
    const fs::path prefix = MidiWorkPrefix(target);
    fs::path folder = prefix.parent_path();
    if (folder.empty()) folder = ".";
    const std::string start = prefix.filename().string();
    std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), &closedir);
    if (!listing) return;
    while (const dirent* entry = readdir(listing.get())) {
        if (std::strncmp(entry->d_name, start.c_str(), start.size()) != 0) continue;
        removeUnheld((folder / entry->d_name).string());
    }
}

// Creates a file under a name beginning with prefix that no file has yet, and locks it. A
// name taken meanwhile, or a file removed by another run's clean-up before the lock was
// held, makes it try the next name.
int createLockedFile(const std::string& prefix, std::string& path) {
    std::random_device seed;
    std::mt19937_64 names(seed() ^ (uint64_t(getpid()) << 32));
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%d-%08llx", int(getpid()),
                      static_cast<unsigned long long>(names() & 0xFFFFFFFFu));
        path = prefix + suffix;
        // A new file gets 0666 narrowed by the umask, as any other.
        const int descriptor =
            open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // Blocking: another run's clean-up holds it for a moment at most.
        if (flock(descriptor, LOCK_EX) == 0 && namesOpenFile(path, descriptor)) return descriptor;
        close(descriptor);
    }
    return -1;
}

}  // namespace

std::string MidiWorkPrefix(const std::string& target) {
    return target + kWorkSuffix;
}

bool MayReplaceMidiTarget(const std::string& target) {
    struct stat existing {};
    if (stat(target.c_str(), &existing) != 0) return errno == ENOENT;
    if (!S_ISREG(existing.st_mode)) return false;
    // The rename needs only the folder; a file its user made read-only stays protected all the
    // same, as it would from a program that opens it for writing.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return false;
    if (existing.st_size == 0) return true;
    FileHandle file(std::fopen(target.c_str(), "rb"));
    char tag[4] = {};
    return file && std::fread(tag, 1, 4, file.get()) == 4 && std::memcmp(tag, "MThd", 4) == 0;
}

FileHandle CreateMidiWorkFile(const std::string& target, std::string& workPath) {
    workPath.clear();
    if (!MayReplaceMidiTarget(target)) return nullptr;
    struct stat existing {};
    const bool replacing = stat(target.c_str(), &existing) == 0;

    std::string path;
    const int descriptor = createLockedFile(MidiWorkPrefix(target), path);
    if (descriptor < 0) return nullptr;
    if (replacing) fchmod(descriptor, existing.st_mode & 0777);
    FileHandle file(fdopen(descriptor, "w+b"));
    if (!file) {
        unlink(path.c_str());
        close(descriptor);
        return nullptr;
    }
    workPath = path;
    // Ours is locked by now, so the clean-up passes over it.
    removeStaleWorkFiles(target);
    return file;
}

MidiPlacement PlaceMidiFile(std::FILE* work, const std::string& workPath,
                            const std::string& target) {
    const bool flushed = std::fflush(work) == 0;
    const int descriptor = fileno(work);
    if (!namesOpenFile(workPath, descriptor)) return MidiPlacement::Failed;
    if (!MayReplaceMidiTarget(target)) {
        unlink(workPath.c_str());
        return MidiPlacement::Refused;
    }
    if (flushed && std::rename(workPath.c_str(), target.c_str()) == 0) return MidiPlacement::Placed;
    unlink(workPath.c_str());
    return MidiPlacement::Failed;
}

void RemoveMidiWorkFile(std::FILE* work, const std::string& workPath) {
    if (work != nullptr && namesOpenFile(workPath, fileno(work))) unlink(workPath.c_str());
}

}  // namespace velt::engine

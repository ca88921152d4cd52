#include "platform/folders/folders.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace velt::platform {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

bool isOwnRealFolder(const fs::path& folder) {
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

bool fail(std::string* problem, const std::string& text) {
    if (problem != nullptr) *problem = text;
    return false;
}

// Creates `folder` with mode 0700 when missing, then checks that it is a real folder of ours and
// narrows its mode to 0700 when it was wider.
bool makePrivateFolder(const fs::path& folder, std::string* problem) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return fail(problem, folder.string() + ": cannot create: " + std::strerror(errno));
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0)
        return fail(problem, folder.string() + ": " + std::strerror(errno));
    if (!S_ISDIR(info.st_mode)) return fail(problem, folder.string() + ": not a real folder");
    if (info.st_uid != geteuid()) return fail(problem, folder.string() + ": owned by another user");
    if ((info.st_mode & 0077) != 0 && chmod(folder.c_str(), 0700) != 0)
        return fail(problem, folder.string() + ": cannot make private: " + std::strerror(errno));
    return true;
}

// The file of the loaded module (program or shared library) that holds this code, and whether
// that module is the program itself.
struct ModuleFile {
    fs::path file;
    bool isProgram = true;
};

ModuleFile moduleOfThisCode() {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&moduleOfThisCode), &info, reinterpret_cast<void**>(&map),
                RTLD_DL_LINKMAP) != 0 &&
        map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0') {
        std::error_code ignored;
        fs::path file = fs::weakly_canonical(fs::absolute(map->l_name, ignored), ignored);
        return {file.empty() ? fs::path(map->l_name) : file, false};
    }
    // The main program has no name in the link map; the kernel knows its file.
    std::error_code ignored;
    return {fs::read_symlink("/proc/self/exe", ignored), true};
}

}  // namespace

std::optional<fs::path> privateTempFolder(std::string* problem) {
    fs::path folder;
    std::string runtime = environment("XDG_RUNTIME_DIR");
    if (!runtime.empty() && fs::path(runtime).is_absolute() && isOwnRealFolder(runtime)) {
        folder = fs::path(runtime) / "veltrane";
    } else {
        std::string temp = environment("TMPDIR");
        fs::path base = !temp.empty() && fs::path(temp).is_absolute() ? fs::path(temp) : "/tmp";
        folder = base / ("veltrane-" + std::to_string(geteuid()));
    }
    if (!makePrivateFolder(folder, problem)) return std::nullopt;
    return folder;
}

fs::path systemFolder() {
    std::string configured = environment("VELTRANE_SYSTEM_DIR");
    if (!configured.empty()) return configured;
    ModuleFile module = moduleOfThisCode();
    fs::path folder = module.file.parent_path();
    return module.isProgram ? folder : (folder.parent_path() / "bin");
}

}  // namespace velt::platform

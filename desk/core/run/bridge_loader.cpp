#include "desk/core/run/bridge_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace velt::desk {

namespace fs = std::filesystem;

namespace {

struct LoadedBridge {
    fs::path override;
    void* handle = nullptr;
    fs::path loadedFrom;
    BridgeCalls calls;
};

LoadedBridge& loaded() {
    static LoadedBridge bridge;
    return bridge;
}

fs::path programFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : self.parent_path();
}

template <class F>
bool find(void* handle, const char* name, F& entry) {
    entry = reinterpret_cast<F>(dlsym(handle, name));
    return entry != nullptr;
}

}  // namespace

fs::path BridgeLibraryPath() {
    const LoadedBridge& b = loaded();
    if (!b.override.empty()) return b.override;
    return (programFolder() / ".." / "lib" / "libkvxvtpd.so").lexically_normal();
}

const BridgeCalls* Bridge() {
    LoadedBridge& b = loaded();
    fs::path file = BridgeLibraryPath();
    if (b.handle != nullptr && b.loadedFrom == file) return &b.calls;
    if (b.handle != nullptr) {
        dlclose(b.handle);
        b.handle = nullptr;
    }
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    BridgeCalls calls;
    if (!find(handle, "BeginConvert", calls.BeginConvert) ||
        !find(handle, "GetStatus", calls.GetStatus) ||
        !find(handle, "CancelConvert", calls.CancelConvert) ||
        !find(handle, "SetThreshold", calls.SetThreshold) ||
        !find(handle, "SetPatch", calls.SetPatch) ||
        !find(handle, "AbandonConvert", calls.AbandonConvert)) {
        dlclose(handle);
        return nullptr;
    }
    b.handle = handle;
    b.loadedFrom = file;
    b.calls = calls;
    return &b.calls;
}

void UseBridgeLibrary(const fs::path& file) {
    loaded().override = file;
}

}  // namespace velt::desk

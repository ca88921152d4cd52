// The library's entry points. The one conversion of the loaded library is its module state.
// No C++ exception crosses into the caller: one that escapes (out of memory, say) gives the
// entry point's failure result.
#include "kvxvtpd.h"

#include <string>

#include "conversion.h"

namespace {

velt::bridge::Conversion& conversion() {
    static velt::bridge::Conversion theConversion;
    return theConversion;
}

template <class Call>
int guarded(velt::bridge::Result failure, Call call) noexcept {
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

}  // namespace

extern "C" {

KVX_API int BeginConvert(const char* projectFile) {
    return guarded(KVX_ENGINE_NOT_STARTED, [&] {
        return conversion().begin(projectFile == nullptr ? std::string()
                                                         : std::string(projectFile));
    });
}

KVX_API int GetStatus(ConvertStatus* status) {
    if (status == nullptr) return KVX_NO_COMPLETE_STATUS;
    return guarded(KVX_NO_COMPLETE_STATUS, [&] { return conversion().status(*status); });
}

KVX_API int CancelConvert(void) {
    return guarded(KVX_COMMAND_NOT_WRITTEN,
                   [] { return conversion().command(std::to_string(KVX_COMMAND_CANCEL)); });
}

KVX_API int AbandonConvert(void) {
    return guarded(KVX_NOT_RUNNING, [] { return conversion().abandon(); });
}

KVX_API int SetThreshold(void) {
    return guarded(KVX_COMMAND_NOT_WRITTEN,
                   [] { return conversion().command(std::to_string(KVX_COMMAND_THRESHOLD)); });
}

KVX_API int SetPatch(int patch) {
    return guarded(KVX_COMMAND_NOT_WRITTEN, [&] {
        return conversion().command(std::to_string(KVX_COMMAND_PATCH) + " " +
                                    std::to_string(patch));
    });
}

}  // extern "C"

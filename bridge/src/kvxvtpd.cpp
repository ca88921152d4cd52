// The library's entry points. The one conversion of the loaded library is its module state.
#include "kvxvtpd.h"

#include <string>

#include "conversion.h"

namespace {

velt::bridge::Conversion& conversion() {
    static velt::bridge::Conversion theConversion;
    return theConversion;
}

}  // namespace

extern "C" {

KVX_API int BeginConvert(const char* projectFile) {
    return conversion().begin(projectFile == nullptr ? std::string() : std::string(projectFile));
}

KVX_API int GetStatus(ConvertStatus* status) {
    if (status == nullptr) return velt::bridge::kNoCompleteStatus;
    return conversion().status(*status);
}

KVX_API int CancelConvert(void) {
    return conversion().command("1");
}

KVX_API int AbandonConvert(void) {
    return conversion().abandon();
}

KVX_API int SetThreshold(void) {
    return conversion().command("2");
}

KVX_API int SetPatch(int patch) {
    return conversion().command("3 " + std::to_string(patch));
}

}  // extern "C"

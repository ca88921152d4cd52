#include "platform/device_log/quiet_libraries.h"

#include <alsa/asoundlib.h>

#include <mutex>

#ifdef VELT_HAVE_FLUIDSYNTH
#include <fluidsynth.h>
#endif

namespace velt::platform {

namespace {

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void quietOutsideSoundLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(dropAlsaMessage);
#ifdef VELT_HAVE_FLUIDSYNTH
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
#endif
    });
}

}  // namespace velt::platform

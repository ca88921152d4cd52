// Live capture is not built yet: every live run finds no input device (68: no device).
#include "live/live_io.h"

namespace velt::engine {

namespace {
constexpr int kNoDevice = 68;
}

int OpenLiveInput(int) {
    return kNoDevice;
}
int OpenLiveOutput(int) {
    return kNoDevice;
}
void SendLivePartSetup() {}
int ReadLiveSamples() {
    return 0;
}
void SendLiveProgram(int) {}
void CloseLiveDevices(bool, bool) {}

}  // namespace velt::engine

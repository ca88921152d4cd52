// Routing decoded subband slots to the synthesis channels.
#include "mpeg/frame_context.h"

namespace velt::mpeg {

void synthesiseSlots(FrameContext& frame, const float (*ch0)[32], const float (*ch1)[32],
                     int slots) {
    const int kept = 32 >> frame.shift;
    const bool stereoStream = frame.header.channels() == 2;
    for (int s = 0; s < slots; ++s) {
        // At full rate the slots go to the synthesis as they are; with rate reduction a copy
        // silences the subbands above the kept band.
        const float* a = ch0[s];
        const float* b = stereoStream ? ch1[s] : nullptr;
        float keptA[32];
        float keptB[32];
        if (kept < 32) {
            for (int sb = 0; sb < 32; ++sb) {
                keptA[sb] = sb < kept ? a[sb] : 0.0f;
                keptB[sb] = sb < kept && stereoStream ? b[sb] : 0.0f;
            }
            a = keptA;
            b = keptB;
        }
        if (!stereoStream) {
            frame.left.synthesize(a);
            continue;
        }
        switch (frame.routing) {
            case kRouteLeft:
                frame.left.synthesize(a);
                break;
            case kRouteRight:
                frame.right.synthesize(b);
                break;
            case kRouteMix: {
                float mixed[32] = {};
                for (int sb = 0; sb < kept; ++sb) mixed[sb] = (a[sb] + b[sb]) * 0.5f;
                frame.left.synthesize(mixed);
                break;
            }
            default:
                frame.left.synthesize(a);
                frame.right.synthesize(b);
                break;
        }
    }
}

}  // namespace velt::mpeg

// Routing decoded subband slots to the synthesis channels.
#include "mpeg/frame_context.h"

namespace velt::mpeg {

void synthesiseSlots(FrameContext& frame, const float (*ch0)[32], const float (*ch1)[32],
                     int slots) {
    const int kept = 32 >> frame.shift;
    const bool stereoStream = frame.header.channels() == 2;
    for (int s = 0; s < slots; ++s) {
        float a[32] = {};
        float b[32] = {};
        for (int sb = 0; sb < kept; ++sb) {
            a[sb] = ch0[s][sb];
            if (stereoStream) b[sb] = ch1[s][sb];
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
            case kRouteMix:
                for (int sb = 0; sb < kept; ++sb) a[sb] = (a[sb] + b[sb]) * 0.5f;
                frame.left.synthesize(a);
                break;
            default:
                frame.left.synthesize(a);
                frame.right.synthesize(b);
                break;
        }
    }
}

}  // namespace velt::mpeg

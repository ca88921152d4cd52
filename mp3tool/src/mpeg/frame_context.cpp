// Routing decoded subband slots to the synthesis channels.
#include "mpeg/frame_context.h"

#include <algorithm>

namespace velt::mpeg {

namespace {

// Two channels into one interleaved stereo buffer: each channel is synthesised into a plain
// buffer of its own, and the two are then zipped together, which the compiler does with vector
// unpacks (writing every second sample straight from the filter would be one store per sample).
// `run(channel, which)` synthesises channel 0 or 1 into the synthesis channel given.
template <typename Run>
void synthesiseInterleaved(SynthesisChannel& left, SynthesisChannel& right, const Run& run) {
    std::int16_t* out = left.output();
    if (left.outputStep() != 2 || right.outputStep() != 2 || right.output() != out + 1 ||
        left.reduction() != right.reduction()) {
        run(left, 0);
        run(right, 1);
        return;
    }
    std::int16_t l[kMaxSlots * 32];
    std::int16_t r[kMaxSlots * 32];
    left.setOutput(l, 1);
    right.setOutput(r, 1);
    run(left, 0);
    run(right, 1);
    const int n = static_cast<int>(left.output() - l);
    for (int i = 0; i < n; ++i) {
        out[2 * i] = l[i];
        out[2 * i + 1] = r[i];
    }
    left.setOutput(out + 2 * n, 2);
    right.setOutput(out + 2 * n + 1, 2);
}

}  // namespace

void synthesiseSlots(FrameContext& frame, const float (*ch0)[32], const float (*ch1)[32],
                     int slots) {
    const int kept = 32 >> frame.shift;
    const bool stereoStream = frame.header.channels() == 2;
    // At full rate the slots go to the synthesis as they are; with rate reduction (and for the
    // mix) copies hold what the synthesis gets. A frame has at most 36 slots.
    slots = std::min(slots, kMaxSlots);
    float keptA[kMaxSlots][32];
    float keptB[kMaxSlots][32];
    const float(*a)[32] = ch0;
    const float(*b)[32] = stereoStream ? ch1 : nullptr;
    if (kept < 32) {
        for (int s = 0; s < slots; ++s) {
            for (int sb = 0; sb < 32; ++sb) {
                keptA[s][sb] = sb < kept ? a[s][sb] : 0.0f;
                keptB[s][sb] = sb < kept && stereoStream ? b[s][sb] : 0.0f;
            }
        }
        a = keptA;
        b = keptB;
    }
    if (!stereoStream) {
        frame.left.synthesizeSlots(a, slots);
        return;
    }
    switch (frame.routing) {
        case kRouteLeft:
            frame.left.synthesizeSlots(a, slots);
            break;
        case kRouteRight:
            frame.right.synthesizeSlots(b, slots);
            break;
        case kRouteMix: {
            float mixed[kMaxSlots][32];
            for (int s = 0; s < slots; ++s) {
                for (int sb = 0; sb < 32; ++sb) {
                    mixed[s][sb] = sb < kept ? (a[s][sb] + b[s][sb]) * 0.5f : 0.0f;
                }
            }
            frame.left.synthesizeSlots(mixed, slots);
            break;
        }
        default:
            synthesiseInterleaved(frame.left, frame.right,
                                  [&](SynthesisChannel& channel, int which) {
                                      channel.synthesizeSlots(which == 0 ? a : b, slots);
                                  });
            break;
    }
}

void synthesiseSubbands(FrameContext& frame, const float* ch0, const float* ch1, int stride,
                        int slots) {
    const int kept = 32 >> frame.shift;
    slots = std::min(slots, kMaxSlots);
    if (frame.header.channels() != 2) {
        frame.left.synthesizeSubbands(ch0, stride, slots, kept);
        return;
    }
    switch (frame.routing) {
        case kRouteLeft:
            frame.left.synthesizeSubbands(ch0, stride, slots, kept);
            break;
        case kRouteRight:
            frame.right.synthesizeSubbands(ch1, stride, slots, kept);
            break;
        case kRouteMix: {
            // The mix needs room of its own: at most 32 subbands of kMaxSlots rounded up.
            constexpr int kMaxStride = (kMaxSlots + 7) / 8 * 8;
            float mixed[32 * kMaxStride];
            const int used = std::min(stride, kMaxStride);
            for (int k = 0; k < kept; ++k) {
                for (int s = 0; s < used; ++s) {
                    mixed[k * used + s] = (ch0[k * stride + s] + ch1[k * stride + s]) * 0.5f;
                }
            }
            frame.left.synthesizeSubbands(mixed, used, std::min(slots, used), kept);
            break;
        }
        default:
            synthesiseInterleaved(
                frame.left, frame.right, [&](SynthesisChannel& channel, int which) {
                    channel.synthesizeSubbands(which == 0 ? ch0 : ch1, stride, slots, kept);
                });
            break;
    }
}

}  // namespace velt::mpeg

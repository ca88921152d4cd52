// What a layer decoder gets for one frame: the header, the frame reader (bits of the frame,
// and for Layer III the main data), the two synthesis channels already pointed at the frame's
// PCM buffer, and the options that decide which channels are synthesised.
#pragma once

#include "mpeg/frame_header.h"
#include "mpeg/frame_reader.h"
#include "mpeg/synthesis.h"

namespace velt::mpeg {

// Channel routing option of the codec.
enum Routing { kRouteStereo = 0, kRouteLeft = 1, kRouteRight = 2, kRouteMix = 3 };

struct FrameContext {
    const FrameHeader& header;
    FrameReader& reader;
    SynthesisChannel& left;
    SynthesisChannel& right;
    int routing;  // kRouteStereo for single channel streams, whatever the option says
    int shift;    // rate reduction shift: only subbands below 32 >> shift are synthesised
};

// A decoder for one layer. Layers I and II are plain functions; Layer III keeps state across
// frames (overlap), so the MPEG decoder holds it through this seam.
class LayerDecoder {
  public:
    virtual ~LayerDecoder() = default;
    // Decodes one frame into the synthesis channels: 0, or -700 when the frame is impossible
    // (nothing is written then).
    virtual int decode(FrameContext& frame) = 0;
    // Forgets everything carried between frames.
    virtual void flush() = 0;
};

// Feeds decoded slots to synthesis by the routing: single channel streams (and routing "left")
// feed channel 0 to the left synthesis channel; stereo routing feeds channel 0 left and channel 1
// right, slot by slot; routing "right" feeds channel 1 to the right synthesis channel; routing
// "mix" feeds (channel 0 + channel 1) x 0.5 to the left synthesis channel. Subbands from
// 32 >> shift up are silenced first. `ch1` is ignored for single channel streams; slots beyond
// kMaxSlots are not synthesised.
// The most slots a frame holds (Layer II and MPEG-1 Layer III: 36).
inline constexpr int kMaxSlots = 36;

void synthesiseSlots(FrameContext& frame, const float (*ch0)[32], const float (*ch1)[32],
                     int slots);

// The same for subband-major slots (sample of slot s in subband k at k * stride + s, with
// stride at least `slots` rounded up to a multiple of 8).
void synthesiseSubbands(FrameContext& frame, const float* ch0, const float* ch1, int stride,
                        int slots);

}  // namespace velt::mpeg

// The decoding core of one MPEG audio stream: frame reader, layer decoders and the two synthesis
// channels, with the channel routing and rate reduction options. The codec module wraps it for
// the decoder tool's framework; tests drive it directly over a buffer.
#pragma once

#include <cstdint>
#include <memory>

#include "mpeg/byte_input.h"
#include "mpeg/frame_context.h"
#include "mpeg/frame_reader.h"
#include "mpeg/synthesis.h"

namespace velt::mpeg {

// The largest frame output: 1152 samples of 2 channels.
inline constexpr int kMaxFrameSamples = 1152 * 2;

struct DecodedFrame {
    FrameHeader header;
    int sampleRate = 0;         // Hz, after rate reduction
    int samplesPerChannel = 0;  // after rate reduction
    int channels = 0;           // output channels: 1 or 2
};

class MpegDecoder {
  public:
    explicit MpegDecoder(ByteInput& input) : reader_(input) {}

    // Routing 0 stereo, 1 left only, 2 right only, 3 mix (others count as 0).
    void setRouting(int routing) { routing_ = routing >= 0 && routing <= 3 ? routing : 0; }
    int routing() const { return routing_; }
    // Rate reduction 0 full, 1 half at 32 kHz and up, 2 quarter at 32 kHz and up and half from
    // 16 kHz (others count as 0).
    void setRateReduction(int reduction) {
        reduction_ = reduction >= 0 && reduction <= 2 ? reduction : 0;
    }
    int rateReduction() const { return reduction_; }

    // The Layer III frame decoder; without one, Layer III frames are refused as invalid (-700).
    void setLayer3(std::unique_ptr<LayerDecoder> decoder) { layer3_ = std::move(decoder); }

    // Decodes the next frame into pcm (room for kMaxFrameSamples): 0 with `frame` filled, -700
    // when the layer decoder refused the frame (nothing written; go on with the next call), or
    // the input's code (-514 at the end). Frames the reader refuses are skipped here.
    int decodeFrame(std::int16_t* pcm, DecodedFrame& frame);

    // True when the frame decodeFrame last returned is an encoder's information frame (a Xing,
    // Info or VBRI tag in place of audio).
    bool frameCarriesVbrTag() const;

    // Silence and a fresh search: synthesis history, Layer III state and the reader's sync.
    void flush();
    // A new stream: its first frame may be of any version, layer and rate, with no other frame
    // to confirm the change.
    void forgetStreamKind() { reader_.forgetStreamKind(); }

    SynthesisChannel& left() { return left_; }
    SynthesisChannel& right() { return right_; }

  private:
    FrameReader reader_;
    SynthesisChannel left_;
    SynthesisChannel right_;
    int routing_ = kRouteStereo;
    int reduction_ = 0;
    std::unique_ptr<LayerDecoder> layer3_;
};

// Rate reduction shift for a stream rate: option 1 halves at 32 kHz and up; option 2 quarters
// at 32 kHz and up and halves from 16 kHz to 31999 Hz.
int reductionShift(int option, int sampleRate);

}  // namespace velt::mpeg

// Frame dispatch: read an accepted frame, point the synthesis channels at the PCM buffer by the
// routing, and run the layer decoder.
#include "mpeg/mpeg_decoder.h"

#include "mpeg/layer1.h"
#include "mpeg/layer2.h"
#include "mpeg/result_codes.h"
#include "mpeg/stream_probe.h"

namespace velt::mpeg {

int reductionShift(int option, int sampleRate) {
    if (option == 1 && sampleRate >= 32000) return 1;
    if (option == 2 && sampleRate >= 32000) return 2;
    if (option == 2 && sampleRate >= 16000) return 1;
    return 0;
}

bool MpegDecoder::frameCarriesVbrTag() const {
    return carriesVbrTag(reader_.body(), reader_.header());
}

void MpegDecoder::flush() {
    left_.clear();
    right_.clear();
    if (layer3_) layer3_->flush();
    reader_.reset();
}

int MpegDecoder::decodeFrame(std::int16_t* pcm, DecodedFrame& frame) {
    int r;
    do {
        r = reader_.readFrame();
    } while (r == kInvalidFrame);
    if (r != kOk) return r;

    const FrameHeader& h = reader_.header();
    const int rate = h.sampleRate();
    const int shift = reductionShift(reduction_, rate);
    left_.setReduction(shift);
    right_.setReduction(shift);

    int routing = h.channels() == 1 ? kRouteStereo : routing_;
    int channels = 1;
    if (h.channels() == 1 || routing == kRouteLeft || routing == kRouteMix) {
        left_.setOutput(pcm, 1);
    } else if (routing == kRouteRight) {
        right_.setOutput(pcm, 1);
    } else {
        left_.setOutput(pcm, 2);
        right_.setOutput(pcm + 1, 2);
        channels = 2;
    }

    FrameContext context{h, reader_, left_, right_, routing, shift};
    switch (h.layer) {
        case 1:
            r = decodeLayer1(context);
            break;
        case 2:
            r = decodeLayer2(context);
            break;
        default:
            r = layer3_ ? layer3_->decode(context) : kInvalidFrame;
            break;
    }
    if (r != kOk) return r;

    frame.header = h;
    frame.sampleRate = rate >> shift;
    frame.samplesPerChannel = h.samplesPerFrame() >> shift;
    frame.channels = channels;
    return kOk;
}

}  // namespace velt::mpeg

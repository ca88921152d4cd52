#include "mpeg/layer3/layer3_granule_decoder.h"

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/requantise.h"

namespace velt::mpeg::layer3 {

void Layer3GranuleDecoder::decodeGranules(const FrameFormat& format, const SideInfo& side,
                                          std::span<const uint8_t> mainData, int subbandLimit,
                                          Layer3Output& out) {
    out.granules = format.granules();
    out.channels = format.channels();
    size_t bitPosition = 0;
    for (int gr = 0; gr < out.granules; ++gr)
        decodeGranule(format, side, mainData, gr, bitPosition, subbandLimit, out);
}

void Layer3GranuleDecoder::decodeGranule(const FrameFormat& format, const SideInfo& side,
                                         std::span<const uint8_t> mainData, int granule,
                                         size_t& bitPosition, int subbandLimit, Layer3Output& out) {
    const BandTable& bands = bandTable(rateIndex(format.versionCode, format.samplingIndex));
    const int channels = format.channels();
    const auto& granuleInfo = side.granule[static_cast<size_t>(granule)];
    MainDataBits bits(mainData);
    for (int ch = 0; ch < channels; ++ch) {
        const GranuleChannel& gc = granuleInfo[static_cast<size_t>(ch)];
        ScaleFactors& sf = scaleFactors_[static_cast<size_t>(ch)];
        Spectrum& lines = lines_[static_cast<size_t>(ch)];
        const size_t end = bitPosition + static_cast<size_t>(gc.part23Length);
        bits.setPosition(bitPosition);
        if (format.lsf()) {
            readScaleFactorsLsf(bits, gc, format.intensity() && ch == 1, sf);
        } else {
            readScaleFactorsMpeg1(bits, gc, side.scfsi[static_cast<size_t>(ch)], granule, sf);
        }
        if (bits.position() > end) {
            // The scale factors alone overrun the granule's bits: nothing of it can be trusted.
            lines.fill(0.0f);
        } else {
            const int decoded = decodeSpectrum(bits, gc, end, values_);
            requantise(gc, sf, bands, values_, decoded, lines);
        }
        bitPosition = end;
    }
    if (channels == 2)
        processStereo(format, granuleInfo[1], scaleFactors_[1], bands, lines_[0], lines_[1]);
    for (int ch = 0; ch < channels; ++ch) {
        filterbank_[static_cast<size_t>(ch)].process(
            granuleInfo[static_cast<size_t>(ch)], lines_[static_cast<size_t>(ch)], subbandLimit,
            out.slots[static_cast<size_t>(granule)][static_cast<size_t>(ch)]);
    }
}

void Layer3GranuleDecoder::clearOverlap() {
    for (auto& bank : filterbank_) bank.clear();
}

}  // namespace velt::mpeg::layer3

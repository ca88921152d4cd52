#include "mpeg/layer3/layer3_decoder.h"

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/requantise.h"

namespace velt::mpeg::layer3 {

Layer3Status Layer3Decoder::decodeFrame(const FrameFormat& format, std::span<const uint8_t> body,
                                        int subbandLimit, Layer3Output& out) {
    out.granules = 0;
    out.channels = format.channels();
    const size_t sideBytes = static_cast<size_t>(format.sideInfoBytes());
    if (body.size() < sideBytes) return Layer3Status::Damaged;
    const std::span<const uint8_t> frameMainData = body.subspan(sideBytes);

    std::span<const uint8_t> mainData;
    if (!parseSideInfo(body.first(sideBytes), format, side_)) {
        // The frame's bytes still belong to the reservoir: later frames may point into them.
        reservoir_.addFrame(frameMainData, 0, 0, mainData);
        return Layer3Status::Damaged;
    }
    const auto status =
        reservoir_.addFrame(frameMainData, side_.mainDataBegin, side_.part23Sum, mainData);
    if (status == MainDataReservoir::Status::Impossible) return Layer3Status::Damaged;

    out.granules = format.granules();
    if (status == MainDataReservoir::Status::Missing) {
        for (auto& granule : out.slots)
            for (auto& channel : granule)
                for (auto& slot : channel) slot.fill(0.0f);
        for (auto& bank : filterbank_) bank.clear();
        return Layer3Status::Silent;
    }

    size_t bitPosition = 0;
    for (int gr = 0; gr < out.granules; ++gr)
        decodeGranule(format, mainData, gr, bitPosition, subbandLimit, out);
    return Layer3Status::Decoded;
}

void Layer3Decoder::decodeGranule(const FrameFormat& format, std::span<const uint8_t> mainData,
                                  int granule, size_t& bitPosition, int subbandLimit,
                                  Layer3Output& out) {
    const BandTable& bands = bandTable(rateIndex(format.versionCode, format.samplingIndex));
    const int channels = format.channels();
    MainDataBits bits(mainData);
    for (int ch = 0; ch < channels; ++ch) {
        const GranuleChannel& gc =
            side_.granule[static_cast<size_t>(granule)][static_cast<size_t>(ch)];
        ScaleFactors& sf = scaleFactors_[static_cast<size_t>(ch)];
        Spectrum& lines = lines_[static_cast<size_t>(ch)];
        const size_t end = bitPosition + static_cast<size_t>(gc.part23Length);
        bits.setPosition(bitPosition);
        if (format.lsf()) {
            readScaleFactorsLsf(bits, gc, format.intensity() && ch == 1, sf);
        } else {
            readScaleFactorsMpeg1(bits, gc, side_.scfsi[static_cast<size_t>(ch)], granule, sf);
        }
        if (bits.position() > end) {
            // Scale factors alone overrun the granule's bits: nothing of it can be trusted.
            lines.fill(0.0f);
        } else {
            const int decoded = decodeSpectrum(bits, gc, end, values_);
            requantise(gc, sf, bands, values_, decoded, lines);
        }
        bitPosition = end;
    }
    if (channels == 2) {
        processStereo(format, side_.granule[static_cast<size_t>(granule)][1], scaleFactors_[1],
                      bands, lines_[0], lines_[1]);
    }
    for (int ch = 0; ch < channels; ++ch) {
        filterbank_[static_cast<size_t>(ch)].process(
            side_.granule[static_cast<size_t>(granule)][static_cast<size_t>(ch)],
            lines_[static_cast<size_t>(ch)], subbandLimit,
            out.slots[static_cast<size_t>(granule)][static_cast<size_t>(ch)]);
    }
}

void Layer3Decoder::flush() {
    reservoir_.reset();
    for (auto& bank : filterbank_) bank.clear();
}

}  // namespace velt::mpeg::layer3

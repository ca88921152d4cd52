// Layer II decoding (ISO/IEC 11172-3, 2.4.3.3; the low sampling rates of ISO/IEC 13818-3):
// table choice, bit allocation, scale-factor selection, scale factors and 12 granules of three
// samples per frame (36 slots), fed to synthesis.
#pragma once

#include "mpeg/frame_context.h"
#include "mpeg/layer12_tables.h"

namespace velt::mpeg {

// The allocation table a frame uses: MPEG-1 by sampling rate and bit rate per channel, the
// low sampling rates always the table of ISO/IEC 13818-3.
const AllocationTable& layer2Table(const FrameHeader& header);

// Returns 0, or -700 (nothing synthesised) when the fields run past the frame's bytes.
// A joint-stereo bound above the table's subband limit is taken as the limit: encoders write
// such frames, and they decode as frames without shared subbands.
int decodeLayer2(FrameContext& frame);

// Splits a grouped code word into its three values (first sample first). A code beyond the
// class's range (levels^3 and up) gives false.
bool degroup(std::uint32_t code, std::uint32_t levels, std::uint32_t values[3]);

}  // namespace velt::mpeg

#include "tempo/tempo_detection.h"

namespace velt::engine {

bool AudioFileSource::seek(int64_t position) {
    return file_ != nullptr && fseeko(file_, position, SEEK_SET) == 0;
}

bool AudioFileSource::read(uint8_t* into, size_t count) {
    return file_ != nullptr && std::fread(into, 1, count, file_) == count;
}

TimingDecision DetectTiming(const TimingSettings& settings, const OnsetScanParams& scan,
                            AudioByteSource& audio) {
    return DecideTiming(settings, [&] { return ScanOnsets(scan, audio); });
}

int64_t DetectedStartByte(const OnsetScanParams& scan, const TimingDecision& decision) {
    return scan.dataOffset + TempoFramesToBytes(scan, decision.startFrame);
}

}  // namespace velt::engine

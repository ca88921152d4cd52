// Tempo detection of a file run: the timing decisions over the onsets of the open audio file,
// which is scanned only when the decisions need its onsets.
#pragma once

#include <cstdint>
#include <cstdio>

#include "tempo/onset_scan.h"
#include "tempo/timing_decision.h"

namespace velt::engine {

// An open audio file as the onset scan's byte access (a null file reads as unreadable).
class AudioFileSource : public AudioByteSource {
  public:
    explicit AudioFileSource(std::FILE* file) : file_(file) {}
    bool seek(int64_t position) override;
    bool read(uint8_t* into, size_t count) override;

  private:
    std::FILE* file_;
};

// Decides the timing from the settings, scanning audio with the scan params when needed.
TimingDecision DetectTiming(const TimingSettings& settings, const OnsetScanParams& scan,
                            AudioByteSource& audio);

// Byte offset of the first sample of the bar a decision moved the start to; the bar may begin
// before the first sample (the block reader reads silence there).
int64_t DetectedStartByte(const OnsetScanParams& scan, const TimingDecision& decision);

}  // namespace velt::engine

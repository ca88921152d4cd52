// The audio file check that the settings dialog runs on a newly chosen PCM WAV file. It stands
// in for an outside checking library, so its three calls keep that library's shape:
// CheckWave(path) → 0, or -1 when there is no result; then GetDistort() and GetMax() tell the
// distortion and the peak level of the file last checked, each as a fraction (0.10 = 10 %).
//
// The peak is max|x| / 2^(bits - 1) over every sample of every channel. The distortion is the
// share of 50 ms windows (the last one may be shorter) in which some channel holds at least three
// consecutive samples at 32766/32768 of full scale or more: the mark of a clipped recording.
// Files are read in blocks, so their length doesn't matter. PCM with 8 (unsigned), 16, 24 or
// 32 bits and one or two channels is checked; anything else, a missing or unreadable file and a
// file that is no WAV file give -1.
#pragma once

#include <cstdint>
#include <string>

namespace velt::platform::outside {

class WaveChecker {
  public:
    int16_t CheckWave(const std::string& path);
    float GetDistort() const { return distortion_; }
    float GetMax() const { return peak_; }

  private:
    float distortion_ = 0;
    float peak_ = 0;
};

}  // namespace velt::platform::outside

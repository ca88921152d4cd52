// Our own WMA and AAC decoder component, built on FFmpeg's libraries. It stands in for two
// outside decoder controls, so it keeps their shape: properties and methods reached by dispatch
// identifier (the two faces below), a decode that runs in the background, and two events,
// Progress(percent) and Error(code), which the owner collects on its own thread (takeEvents).
//
// Progress: 0 as soon as a decode starts; once any audio has been written, at least one value
// strictly between 0 and 100; values stay below 99.5 until the WAV file is closed with its final
// header, then exactly 100. Error codes: kCannotOpen, kNoCodec, kProtected, kFailed. Every failed
// or stopped decode removes its partial WAV file.
//
// Stopping never waits long: the decode's reads give up at the stop request (FFmpeg's interrupt
// callback), and a worker still blocked in the system after a short wait (a stalled network
// mount) is left to end on its own. Such a worker writes under a name of its own beside the
// output and never puts its file in the output's place, so it can't touch the output of a decode
// started after it.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace velt::platform::outside {

namespace decoder_error {
constexpr long kFailed = 1000;      // anything else: a write failure, a stream of no audio, ...
constexpr long kCannotOpen = 1001;  // cannot open or probe, no audio stream, not ASF/WMA
constexpr long kNoCodec = 1007;     // no decoder for the stream's codec
constexpr long kProtected = 1023;   // the ASF header holds a content encryption object
}  // namespace decoder_error

// The dispatch identifiers of one face, and whether it takes only ASF files with WMA audio.
struct DecoderFace {
    int input, output, start, stop;
    bool wmaOnly;
};
inline constexpr DecoderFace kWmaFace{2, 3, 10, 11, true};
inline constexpr DecoderFace kAacFace{1, 2, 3, 4, false};

struct DecoderEvent {
    enum class Kind { Progress, Error };
    Kind kind = Kind::Progress;
    double percent = 0;
    long code = 0;
};

// What a decoding window holds: a decoder control reached by dispatch identifier. Tests put a
// scripted double in its place.
class DecoderControl {
  public:
    virtual ~DecoderControl() = default;
    virtual void setProperty(int dispatchId, const std::string& value) = 0;
    virtual void invoke(int dispatchId) = 0;
    // The events raised since the last call, oldest first.
    virtual std::vector<DecoderEvent> takeEvents() = 0;
};

// The decode a worker runs: DecodeCompressed's shape (below). Tests put a slow one in its place.
using DecodeFunction =
    std::function<long(const std::string& source, const std::string& wave, bool wmaOnly,
                       const std::function<void(double)>& progress, const std::atomic<bool>* stop)>;

class CompressedDecoder final : public DecoderControl {
  public:
    explicit CompressedDecoder(DecoderFace face, DecodeFunction decode = nullptr);
    ~CompressedDecoder() override;
    CompressedDecoder(const CompressedDecoder&) = delete;
    CompressedDecoder& operator=(const CompressedDecoder&) = delete;

    void setProperty(int dispatchId, const std::string& value) override;
    // start: stops a running decode, then decodes the input into the output on a worker thread.
    // stop: ends a running decode (its partial file removed) and drops its pending events.
    void invoke(int dispatchId) override;
    std::vector<DecoderEvent> takeEvents() override;

  private:
    struct Job;
    void start();
    void stop();

    DecoderFace face_;
    DecodeFunction decode_;
    std::string input_, output_;
    std::shared_ptr<Job> job_;  // the running decode; its worker holds it too
    std::thread worker_;
};

// The decode itself, on the caller's thread: `source` (any container FFmpeg reads; with
// `wmaOnly`, ASF with WMA audio only) into a 16-bit PCM WAV file at the stream's rate, mono kept,
// more than two channels mixed down to stereo. `progress` gets the percents described above
// except the final 100. Returns 0, one of the decoder_error codes, or -1 when `stop` became true.
// A source that is not a regular file (a FIFO, a device) can't be opened: its first read could
// wait for ever.
long DecodeCompressed(const std::string& source, const std::string& wave, bool wmaOnly,
                      const std::function<void(double)>& progress,
                      const std::atomic<bool>* stop = nullptr);

}  // namespace velt::platform::outside

#include "platform/outside/compressed_decoder.h"

#include <filesystem>
#include <utility>

#include "platform/folders/working_file.h"
#include "platform/outside/worker_job.h"

namespace velt::platform::outside {

namespace fs = std::filesystem;

// What one decode shares with its worker. The worker holds it to the end, so a decoder that
// stopped waiting for the worker (or was destroyed) leaves nothing the worker still uses.
// Its finished flag says the worker is done: its file renamed into place or removed.
struct CompressedDecoder::Job : WorkerJob {
    std::vector<DecoderEvent> events;

    void raise(DecoderEvent event) {
        std::lock_guard lock(mutex);
        events.push_back(event);
    }
};

namespace {

// The checks the output name itself needs: never the source (writing would destroy it), and only
// what may be replaced.
bool outputAllowed(const std::string& input, const std::string& output) {
    std::error_code ec;
    return !fs::equivalent(input, output, ec) && replaceableOutput(output);
}

}  // namespace

CompressedDecoder::CompressedDecoder(DecoderFace face, DecodeFunction decode)
    : face_(face), decode_(decode ? std::move(decode) : DecodeFunction(DecodeCompressed)) {}

CompressedDecoder::~CompressedDecoder() {
    stop();
}

void CompressedDecoder::setProperty(int dispatchId, const std::string& value) {
    if (dispatchId == face_.input) input_ = value;
    if (dispatchId == face_.output) output_ = value;
}

void CompressedDecoder::invoke(int dispatchId) {
    if (dispatchId == face_.start) start();
    if (dispatchId == face_.stop) stop();
}

std::vector<DecoderEvent> CompressedDecoder::takeEvents() {
    if (!job_) return {};
    std::lock_guard lock(job_->mutex);
    return std::exchange(job_->events, {});
}

void CompressedDecoder::start() {
    stop();
    auto job = std::make_shared<Job>();
    job_ = job;
    worker_ = std::thread(
        [job, decode = decode_, input = input_, output = output_, wmaOnly = face_.wmaOnly] {
            long result = decoder_error::kFailed;
            const std::string working = workingFileName(output, job.get());
            if (outputAllowed(input, output)) {
                auto progress = [&job](double percent) {
                    job->raise({DecoderEvent::Kind::Progress, percent, 0});
                };
                result = decode(input, working, wmaOnly, progress, &job->stop);
            }
            std::error_code ec;
            std::lock_guard lock(job->mutex);
            // Decided under the lock stop takes: a stopped decode never puts its file in place.
            if (result == 0 && job->stop) result = -1;
            if (result == 0) {
                fs::rename(working, output, ec);
                if (ec) result = decoder_error::kFailed;
            }
            if (result != 0) fs::remove(working, ec);
            if (result == 0) job->events.push_back({DecoderEvent::Kind::Progress, 100, 0});
            if (result > 0) job->events.push_back({DecoderEvent::Kind::Error, 0, result});
            job->finishLocked();
        });
}

void CompressedDecoder::stop() {
    if (!job_) return;
    // A worker still blocked in a read ends on its own later, its events and file discarded.
    stopWorker(*std::exchange(job_, nullptr), worker_);
}

}  // namespace velt::platform::outside

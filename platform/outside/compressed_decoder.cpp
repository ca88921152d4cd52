#include "platform/outside/compressed_decoder.h"

#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <utility>

namespace velt::platform::outside {

namespace fs = std::filesystem;

// What one decode shares with its worker. The worker holds it to the end, so a decoder that
// stopped waiting for the worker (or was destroyed) leaves nothing the worker still uses.
struct CompressedDecoder::Job {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;  // the worker is done: its file renamed into place or removed
    std::vector<DecoderEvent> events;

    void raise(DecoderEvent event) {
        std::lock_guard lock(mutex);
        events.push_back(event);
    }
};

namespace {

// The worker's own file beside the output: the process and the job make it unique among the
// decodes that may be running, so a worker left behind never writes over a newer one's file.
std::string workingName(const std::string& output, const void* job) {
    char tag[48];
    std::snprintf(tag, sizeof tag, ".~%ld-%llx", static_cast<long>(getpid()),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(job)));
    return output + tag;
}

// The checks the output name itself needs: never the source (writing would destroy it), never
// anything but a regular file (a device or a FIFO named as the output is not replaced).
bool outputAllowed(const std::string& input, const std::string& output) {
    std::error_code ec;
    if (fs::equivalent(input, output, ec)) return false;
    const auto status = fs::symlink_status(output, ec);
    return !fs::exists(status) || fs::is_regular_file(status);
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
            const std::string working = workingName(output, job.get());
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
            job->finished = true;
            job->ended.notify_all();
        });
}

void CompressedDecoder::stop() {
    if (!job_) return;
    const std::shared_ptr<Job> job = std::exchange(job_, nullptr);
    bool finished = false;
    {
        std::unique_lock lock(job->mutex);
        job->stop = true;
        finished = job->ended.wait_for(lock, kStopWait, [&job] { return job->finished; });
    }
    // A worker that ended is joined at once; one still blocked in a read ends on its own later,
    // its events and file discarded.
    if (finished) {
        worker_.join();
    } else {
        worker_.detach();
    }
}

}  // namespace velt::platform::outside

#include "platform/wave_io/clock_wave_out.h"

#include <algorithm>
#include <fstream>

namespace velt::platform::wave_out {

namespace {

using Kind = ClockWaveOut::Event::Kind;

ClockWaveOut::Event makeEvent(Kind kind, int32_t stream, int64_t atMs, int64_t first, int64_t end) {
    ClockWaveOut::Event e{};
    e.kind = kind;
    e.stream = stream;
    e.atMs = atMs;
    e.first = first;
    e.end = end;
    return e;
}

}  // namespace

// A stream whose position is the clock time since it started (or resumed), at the sound's rate.
class ClockStream : public Stream {
  public:
    ClockStream(ClockWaveOut& owner, int32_t id, std::shared_ptr<const PcmSound> sound)
        : owner_(&owner), id_(id), sound_(std::move(sound)) {}
    ~ClockStream() override {
        if (owner_ != nullptr) {
            settle();
            owner_->record(makeEvent(Kind::Close, id_, now(), frame_, frame_));
            std::erase(owner_->live_, this);
        }
    }
    ClockStream(const ClockStream&) = delete;
    ClockStream& operator=(const ClockStream&) = delete;

    void detach() { owner_ = nullptr; }

    int32_t play(int64_t first, int64_t end) override {
        if (owner_ == nullptr) return NoDriver;
        settle();
        frame_ = first;
        end_ = end;
        running_ = true;
        paused_ = false;
        sinceMs_ = now();
        sinceFrame_ = first;
        owner_->record(makeEvent(Kind::Play, id_, sinceMs_, first, end));
        return NoError;
    }
    void pause() override {
        if (owner_ == nullptr || !running_ || paused_) return;
        settle();
        paused_ = true;
        owner_->record(makeEvent(Kind::Pause, id_, now(), frame_, frame_));
    }
    void resume() override {
        if (owner_ == nullptr || !running_ || !paused_) return;
        paused_ = false;
        sinceMs_ = now();
        sinceFrame_ = frame_;
        owner_->record(makeEvent(Kind::Resume, id_, sinceMs_, frame_, frame_));
    }
    void stop() override {
        if (owner_ == nullptr) return;
        settle();
        running_ = false;
        paused_ = false;
        owner_->record(makeEvent(Kind::Stop, id_, now(), frame_, frame_));
    }
    int64_t position() override {
        settle();
        return frame_;
    }
    bool finished() override {
        settle();
        return running_ && !paused_ && frame_ >= end_;
    }
    void setGain(const Gain& gain) override {
        if (owner_ == nullptr) return;
        ClockWaveOut::Event e = makeEvent(Kind::Gain, id_, now(), frame_, frame_);
        e.gain = gain;
        owner_->record(e);
    }

  private:
    int64_t now() const { return owner_->clock().nowMs(); }
    // Moves the position to the clock's time and counts the frames played on the way.
    void settle() {
        if (owner_ == nullptr || !running_ || paused_) return;
        int64_t elapsed = std::max<int64_t>(0, now() - sinceMs_);
        int64_t reached = std::min(end_, sinceFrame_ + elapsed * sound_->sampleRate / 1000);
        if (reached > frame_) {
            owner_->played_[static_cast<size_t>(id_ - 1)] += reached - frame_;
            frame_ = reached;
        }
    }

    ClockWaveOut* owner_;
    int32_t id_;
    std::shared_ptr<const PcmSound> sound_;
    bool running_ = false, paused_ = false;
    int64_t frame_ = 0, end_ = 0, sinceMs_ = 0, sinceFrame_ = 0;
};

ClockWaveOut::ClockWaveOut(const Clock* clock, int32_t devices, std::filesystem::path log)
    : clock_(clock), devices_(devices), log_(std::move(log)) {}

ClockWaveOut::~ClockWaveOut() {
    for (ClockStream* s : live_) s->detach();
}

std::string ClockWaveOut::name(int32_t id) {
    if (!log_.empty()) return "Veltrane wave log";
    return "Clock wave output " + std::to_string(id + 1);
}

int32_t ClockWaveOut::open(int32_t, std::shared_ptr<const PcmSound> sound,
                           std::unique_ptr<Stream>& stream) {
    if (openResult != NoError) return openResult;
    if (!log_.empty()) {
        std::ofstream probe(log_, std::ios::app | std::ios::binary);
        if (!probe) return NoDriver;
    }
    int32_t id = ++streams_;
    played_.push_back(0);
    Event e = makeEvent(Kind::Open, id, clock().nowMs(), 0, sound->frames());
    e.sampleRate = sound->sampleRate;
    e.channels = sound->channels;
    e.bitsPerSample = sound->bitsPerSample;
    record(e);
    auto made = std::make_unique<ClockStream>(*this, id, std::move(sound));
    live_.push_back(made.get());
    stream = std::move(made);
    return NoError;
}

int64_t ClockWaveOut::framesPlayed(int32_t stream) const {
    if (stream < 1 || stream > static_cast<int32_t>(played_.size())) return 0;
    return played_[static_cast<size_t>(stream - 1)];
}

Gain ClockWaveOut::lastGain(int32_t stream) const {
    Gain gain;
    for (const Event& e : events)
        if (e.stream == stream && e.kind == Event::Kind::Gain) gain = e.gain;
    return gain;
}

void ClockWaveOut::record(Event event) {
    events.push_back(event);
    if (log_.empty()) return;
    std::ofstream out(log_, std::ios::app | std::ios::binary);
    out << event.atMs << ' ';
    const std::string id = std::to_string(event.stream);
    switch (event.kind) {
        case Event::Kind::Open:
            out << "open " << id << ' ' << event.sampleRate << ' ' << event.channels << ' '
                << event.bitsPerSample << ' ' << event.end;
            break;
        case Event::Kind::Play:
            out << "play " << id << ' ' << event.first << ' ' << event.end;
            break;
        case Event::Kind::Pause:
            out << "pause " << id << ' ' << event.first;
            break;
        case Event::Kind::Resume:
            out << "resume " << id << ' ' << event.first;
            break;
        case Event::Kind::Stop:
            out << "stop " << id << ' ' << event.first;
            break;
        case Event::Kind::Close:
            out << "close " << id << ' ' << event.first;
            break;
        case Event::Kind::Gain:
            out << "gain " << id << ' ' << event.gain.left << ' ' << event.gain.right;
            break;
    }
    out << '\n';
}

}  // namespace velt::platform::wave_out

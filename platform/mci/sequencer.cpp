#include "platform/mci/sequencer.h"

#include <algorithm>
#include <vector>

#include "platform/mci/scheduling.h"
#include "platform/midi_file/smf_reader.h"
#include "platform/midi_out/midi_out.h"

namespace velt::platform::mci {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 BPM)

struct Timed {
    int64_t ms = 0;
    uint32_t packed = 0;  // a short message, status in the low byte
    bool note = false;    // note on/off (not chased when starting late)
};

// Every channel message of every track at its time in ms, in time order (tracks in file order
// on a tie), and the time of the last event of all.
void timeline(const smf::File& file, std::vector<Timed>& out, int64_t& lengthMs) {
    struct Merged {
        uint64_t tick;
        size_t track, index;
    };
    std::vector<Merged> order;
    for (size_t t = 0; t < file.tracks.size(); ++t)
        for (size_t i = 0; i < file.tracks[t].size(); ++i)
            order.push_back({file.tracks[t][i].tick, t, i});
    std::stable_sort(order.begin(), order.end(),
                     [](const Merged& a, const Merged& b) { return a.tick < b.tick; });
    // Times are summed in microseconds (exact), tick by tick of each tempo's stretch.
    uint64_t tempo = kDefaultTempo, lastTick = 0;
    long double us = 0;
    const auto division = static_cast<long double>(file.division);
    lengthMs = 0;
    for (const Merged& m : order) {
        const smf::Event& e = file.tracks[m.track][m.index];
        us += static_cast<long double>(m.tick - lastTick) * tempo / division;
        lastTick = m.tick;
        const auto ms = static_cast<int64_t>(us / 1000 + 0.5L);
        lengthMs = std::max(lengthMs, ms);
        if (uint32_t t = smf::tempoOf(e); t != 0) tempo = t;
        if (e.status < 0x80 || e.status > 0xEF) continue;
        Timed timed;
        timed.ms = ms;
        timed.packed = e.status;
        for (size_t i = 0; i < e.data.size() && i < 2; ++i)
            timed.packed |= static_cast<uint32_t>(e.data[i]) << (8 * (i + 1));
        timed.note = (e.status & 0xF0) == 0x80 || (e.status & 0xF0) == 0x90;
        out.push_back(timed);
    }
}

int32_t fromMidiOut(int32_t result) {
    switch (result) {
        case midi_out::NoError:
            return kMciOk;
        case midi_out::NoDevice:
            return kMciNoDevice;
        case midi_out::Allocated:
        case midi_out::NotReady:
            return kMciBusy;
        default:
            return kMciHardwareFailure;
    }
}

class SequencerDevice : public Device {
  public:
    explicit SequencerDevice(Timing& timing) : alarm_(timing) {}
    ~SequencerDevice() override { closePort(); }

    int32_t load(const std::filesystem::path& file) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) return kMciFileNotFound;
        smf::File smf;
        if (smf::readFile(file, smf) != smf::Refusal::None) return kMciInvalidFile;
        timeline(smf, events_, length_);
        return kMciOk;
    }

    int32_t play(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) override {
        if ((fromMs && (*fromMs < 0 || *fromMs > length_)) ||
            (toMs && (*toMs < 0 || *toMs > length_))) {
            return kMciOutOfRange;
        }
        // Without a start: where it stands (a sequence played to its end starts over).
        const int64_t here = positionMs();
        int64_t from = fromMs.value_or(mode_ == Mode::Stopped && here >= length_ ? 0 : here);
        int64_t to = toMs.value_or(length_);
        if (to < from) return kMciOutOfRange;
        alarm_.cancel();
        if (port_ == 0) {
            int32_t handle = 0;
            int32_t result = midi_out::open(handle, -1);
            if (result != midi_out::NoError) return fromMidiOut(result);
            port_ = handle;
        } else {
            midi_out::reset(port_);
        }
        // Chase what is in force at the start: programs, controllers, bends; no notes.
        next_ = 0;
        while (next_ < events_.size() && events_[next_].ms < from) {
            if (!events_[next_].note) midi_out::shortMessage(port_, events_[next_].packed);
            ++next_;
        }
        to_ = to;
        startAt(from);
        return kMciOk;
    }

    int32_t pause() override {
        if (mode_ != Mode::Playing) return kMciOk;
        position_ = positionMs();
        alarm_.cancel();
        if (port_ != 0) midi_out::reset(port_);
        mode_ = Mode::Paused;
        return kMciOk;
    }

    int32_t resume() override {
        if (mode_ != Mode::Paused) return kMciOk;
        startAt(position_);
        return kMciOk;
    }

    int32_t stop() override {
        if (mode_ != Mode::Stopped) position_ = positionMs();
        alarm_.cancel();  // also an end not yet told
        closePort();
        mode_ = Mode::Stopped;
        return kMciOk;
    }

    int32_t seek(int64_t ms) override {
        stop();
        position_ = std::clamp<int64_t>(ms, 0, length_);
        return kMciOk;
    }

    int64_t positionMs() override {
        if (mode_ != Mode::Playing) return position_;
        return std::min(to_, position_ + (alarm_.now() - startedMs_));
    }
    int64_t lengthMs() override { return length_; }
    Mode mode() override { return mode_; }

  private:
    void startAt(int64_t from) {
        position_ = from;
        startedMs_ = alarm_.now();
        mode_ = Mode::Playing;
        sendDue();
    }

    // Sends every event due by now and waits for the next one (or the end).
    void sendDue() {
        const int64_t at = positionMs();
        while (next_ < events_.size() && events_[next_].ms <= at && within(events_[next_].ms)) {
            midi_out::shortMessage(port_, events_[next_].packed);
            ++next_;
        }
        const bool more = next_ < events_.size() && within(events_[next_].ms);
        const int64_t nextMs = more ? events_[next_].ms : to_;
        if (!more && at >= to_) {
            position_ = to_;
            closePort();
            mode_ = Mode::Stopped;
            // The end is told from the timing, never from inside the call that started play.
            alarm_.at(alarm_.now(), [this] { ended(); });
            return;
        }
        alarm_.at(startedMs_ + (nextMs - position_), [this] { sendDue(); });
    }

    // Events at the end of the stretch are left out, unless it is the end of the sequence.
    bool within(int64_t ms) const { return ms < to_ || to_ == length_; }

    void closePort() {
        if (port_ == 0) return;
        midi_out::reset(port_);
        midi_out::close(port_);
        port_ = 0;
    }

    Alarm alarm_;
    std::vector<Timed> events_;
    int64_t length_ = 0;
    size_t next_ = 0;
    int64_t position_ = 0;   // where play started or stopped
    int64_t startedMs_ = 0;  // clock time at position_
    int64_t to_ = 0;
    Mode mode_ = Mode::Stopped;
    int32_t port_ = 0;
};

}  // namespace

int32_t openSequence(const std::filesystem::path& file, Timing& timing,
                     std::unique_ptr<Device>& device) {
    auto made = std::make_unique<SequencerDevice>(timing);
    int32_t result = made->load(file);
    if (result != kMciOk) return result;
    device = std::move(made);
    return kMciOk;
}

}  // namespace velt::platform::mci

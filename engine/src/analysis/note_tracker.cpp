#include "analysis/note_tracker.h"

#include <algorithm>
#include <array>
#include <climits>

#include "midi_events.h"
#include "platform/midi_file/smf_meta.h"
#include "rounding.h"

namespace velt::engine {

namespace {

constexpr int kNoteOn = 0x90;
constexpr int kNoteOff = 0x80;
constexpr int kControlChange = 0xB0;
constexpr int kPitchBend = 0xE0;
constexpr int kChordMeta = 0xFF;
using platform::smf::kTempoMeta;
constexpr int kNoBendSent = 127;  // makes the first bend of a key always go out

struct TrackerContext {
    const TrackerParams& p;
    TrackerState& tracker;
    TrackerReport& report;
    MidiEventSink& sink;

    void send(int status, int data1, int data2) {
        sink.emit(tracker.tickCounter, status, data1, data2, p.channel);
    }
};

int minFrames(const TrackerParams& p, int key) {
    if (key < static_cast<int>(p.minFrames.size())) return p.minFrames[size_t(key)];
    return p.minimumLength;
}

void startForm(const TrackerParams& p, TrackerState& t) {
    t.tickCounter = 1 - p.minimumLength;
    t.framePhase = p.minimumLength / 2;
    t.leadingSilence = 1;
    t.lastTempo = 0;
    t.lastChord = "N/C";
    t.notes.assign(kKeyCount, NoteState{});
    t.lastBendSent.assign(kKeyCount, kNoBendSent);
    t.lastBrightnessSent.assign(kKeyCount, 0);
    for (int k = p.keyMin; k <= p.topKey; ++k) t.notes[k].frames = minFrames(p, k);
}

void emitMetas(TrackerContext& c, const TrackerFrame& frame) {
    const TrackerParams& p = c.p;
    TrackerState& t = c.tracker;
    if (p.liveRun || p.autoTiming) return;
    // A negative tick counter is the look-ahead: no event may carry it as its delta.
    if (!p.drums && frame.slot == p.minimumLength - 1 && t.tickCounter >= 0 &&
        frame.chordText != t.lastChord) {
        c.send(kChordMeta, 0, 0);
        if (!p.cropSilence) t.leadingSilence = 0;
        t.lastChord = frame.chordText;
    }
    int beat = frame.beatLength;
    if (p.tempoTrack && t.tickCounter >= 0 && beat != 0 && beat != t.lastTempo) {
        c.send(kTempoMeta, beat, 0);
        t.lastTempo = beat;
    }
}

void updateStates(TrackerContext& c, const TrackerFrame& frame) {
    const int T = c.p.threshold;
    const bool filter = c.p.filterInUse;
    const int minimumLength = c.p.minimumLength;
    TrackerState& t = c.tracker;
    for (int k = c.p.keyMin; k <= c.p.topKey; ++k) {
        NoteState& n = t.notes[k];
        const HistoryCell& cell = frame.cell(k);
        const int cur = cell.level;
        const int prev = n.previous;
        const int shortest = minFrames(c.p, k);
        n.level = cur;
        n.bend = cell.bend;
        n.brightness = cell.brightness;
        if (cur != 0 && prev == 0 && !n.confirmed) {  // onset
            n.rising = 1;
            n.frames = 1;
            n.peak = cur;
        } else if (prev >= T && cur < T && n.confirmed) {  // falls below the threshold
            n.frames = 1;
            n.peak = prev;
        } else if (cur == 0 && prev != 0 && !n.confirmed) {  // gap in an unconfirmed attempt
            if (n.frames < shortest - 1) {
                ++n.frames;
                n.level = prev;
            } else {
                n.peak = 0;
                n.rising = 0;
            }
        } else if (prev < T && cur >= T && n.confirmed) {
            n.peak = 0;
        } else if (cur > prev && n.rising == 0 && !n.confirmed) {
            n.rising = 1;
            n.frames = 1;
            n.peak = cur;
        } else if (!filter && prev >= T && int64_t{cur} >= 256 * int64_t{prev} && n.reattack == 0 &&
                   n.confirmed) {
            n.reattack = -1;
            n.frames = 1;
            n.peak = cur;
            n.release = prev;
        } else {
            if (n.frames < INT_MAX) ++n.frames;
            n.peak = std::max(n.peak, cur);
        }
        n.previous = n.level;

        if (n.frames >= minimumLength && n.peak != 0 && n.level < T && n.confirmed &&
            !t.leadingSilence) {
            n.confirmed = 0;
            if (n.sounding == 0) {
                n.start = 0;  // the pending start is dropped
            } else if (n.start == 0) {
                n.release = n.peak;
                n.peak = 0;
                n.sounding = 0;
                n.reattack = 0;
            }
        }
    }
}

void confirm(TrackerContext& c) {
    TrackerState& t = c.tracker;
    for (int k = c.p.keyMin; k <= c.p.topKey; ++k) {
        NoteState& n = t.notes[k];
        if (n.frames < minFrames(c.p, k)) continue;
        if (n.peak >= 2 * c.p.threshold && !n.confirmed) {
            n.confirmed = 1;
            t.leadingSilence = 0;
            if (n.release == 0) {
                n.start = n.peak;
                n.rising = 0;
            }
        }
        if (n.reattack == -1) {
            n.reattack = 1;
            n.start = n.peak;
        }
    }
}

// The keys chosen to sound this tick, on the stack: the frame path allocates nothing.
using KeySelection = std::array<bool, kKeyCount>;

// Chooses the keys that may sound this tick; a chosen key's sounding and start are negated.
KeySelection selectKeys(TrackerContext& c) {
    TrackerState& t = c.tracker;
    KeySelection selected{};
    int alreadySent = 0;
    int wanting = 0;
    for (int k = c.p.keyMin; k <= c.p.topKey; ++k) {
        const NoteState& n = t.notes[k];
        if (n.sentThisTick) {
            ++alreadySent;
            selected[k] = true;
        } else if (n.sounding != 0 || n.start != 0) {
            ++wanting;
        }
    }
    if (wanting + alreadySent > c.p.polyphony) {
        for (int chosen = 0; chosen < c.p.polyphony - alreadySent; ++chosen) {
            int best = -1;
            int bestValue = INT_MIN;
            for (int k = c.p.topKey; k >= c.p.keyMin; --k) {
                const NoteState& n = t.notes[k];
                if (selected[k] || (n.sounding == 0 && n.start == 0)) continue;
                int value = std::max(n.sounding, n.start);
                if (value > bestValue) {
                    bestValue = value;
                    best = k;
                }
            }
            if (best < 0) break;
            selected[best] = true;
        }
    } else {
        for (int k = c.p.keyMin; k <= c.p.topKey; ++k) selected[k] = true;
    }
    for (int k = c.p.keyMin; k <= c.p.topKey; ++k) {
        if (!selected[k]) continue;
        t.notes[k].sounding = -t.notes[k].sounding;
        t.notes[k].start = -t.notes[k].start;
    }
    return selected;
}

void resetNote(NoteState& n) {
    n.sounding = 0;
    n.release = 0;
    n.start = 0;
    n.previous = 0;
    n.reattack = 0;
    n.peak = 0;
    n.confirmed = 0;
}

void sendStartExpression(TrackerContext& c, NoteState& n) {
    if (c.p.controller != 0 && c.p.polyphony < 2 && !n.expressionSent) {
        c.send(kControlChange, c.p.controller, 127);
        n.expressionSent = 1;
        n.expression = 127;
    }
}

void noteStarted(TrackerContext& c, int key, const NoteState& n) {
    c.report.startedKey = key;
    c.report.startedBend = static_cast<float>(n.bend);
}

void sendControllers(TrackerContext& c, int key, NoteState& n) {
    TrackerState& t = c.tracker;
    if (c.p.brightness != 0 && n.brightness != 0 && n.brightness != t.lastBrightnessSent[key]) {
        c.send(kControlChange, c.p.brightness, n.brightness);
        t.lastBrightnessSent[key] = n.brightness;
    }
    if (c.p.pitchBend && c.p.polyphony < 2 && n.bend != t.lastBendSent[key] && !n.bendSent) {
        c.send(kPitchBend, 0, std::clamp(n.bend + 64, 0, 127));
        t.lastBendSent[key] = n.bend;
        n.bendSent = 1;
        if (c.report.startedKey == key) c.report.startedBend = static_cast<float>(n.bend);
    }
}

void emitKey(TrackerContext& c, int k, bool selected) {
    TrackerReport& status = c.report;
    NoteState& n = c.tracker.notes[k];
    bool goesOn = false;

    if (n.reattack == 1 && selected) {
        int velocity = n.start < 0 ? -n.start : n.start;
        n.sounding = velocity;
        if (!n.sentThisTick) {
            c.send(kNoteOff, k, n.release);
            c.send(kNoteOn, k, velocity);
            n.sentThisTick = 1;
            noteStarted(c, k, n);
        }
        sendStartExpression(c, n);
        n.peak = n.level;
        goesOn = true;
        n.reattack = 0;
        n.release = 0;
        n.start = 0;
    } else {
        if (n.release > 0 && n.reattack == 0) {
            if (!n.sentThisTick) {
                c.send(kNoteOff, k, n.release);
                n.sentThisTick = 1;
            } else {
                n.deferredRelease = n.release;
            }
            n.release = 0;
            if (status.startedKey == k) status.startedKey = 0;
        }
        if (n.sounding <= 0) {
            if (n.sounding < 0 && n.level != 0) {  // a chosen note goes on sounding
                n.sounding = n.level;
                if (c.p.controller != 0 && c.p.polyphony < 2) {
                    // The level relative to the note's peak; a zero peak counts as full level.
                    int value =
                        n.peak == 0 ? 127 : std::min(127, truncToInt(127.0 / n.peak * n.level));
                    if (value != n.expression && !n.expressionSent) {
                        c.send(kControlChange, c.p.controller, value);
                        n.expressionSent = 1;
                        n.expression = value;
                    }
                }
                goesOn = true;
            } else if (n.start >= 0) {
                if (n.start == 0) {
                    n.sounding = -n.sounding;  // unselect
                    n.release = 0;
                    n.start = 0;
                } else {
                    resetNote(n);  // a start that was not chosen is dropped
                }
            }
            if (n.start < 0) {  // a chosen start
                n.sounding = -n.start;
                if (!n.sentThisTick) {
                    c.send(kNoteOn, k, n.sounding);
                    n.sentThisTick = 1;
                    noteStarted(c, k, n);
                } else {
                    n.deferredRelease = 0;
                }
                sendStartExpression(c, n);
                n.start = 0;
                status.lowestKey = std::min(status.lowestKey, k);
                status.highestKey = std::max(status.highestKey, k);
                goesOn = true;
            }
        } else {  // sounding but not chosen this tick
            if (!n.sentThisTick) {
                c.send(kNoteOff, k, n.sounding);
                n.sentThisTick = 1;
            } else {
                n.deferredRelease = n.sounding;  // never lose a note off
            }
            if (status.startedKey == k) status.startedKey = 0;
            resetNote(n);
        }
    }
    if (goesOn) sendControllers(c, k, n);
}

void endFrame(TrackerContext& c) {
    TrackerState& t = c.tracker;
    int framesPerTick = 1 << std::clamp(c.p.subdivisionExp, 0, 30);
    ++t.framePhase;
    if (t.framePhase % framesPerTick != 0) return;
    ++t.tickCounter;
    for (int k = c.p.keyMin; k <= c.p.topKey; ++k) {
        NoteState& n = t.notes[k];
        if (n.deferredRelease != 0) c.send(kNoteOff, k, n.deferredRelease);
        n.sentThisTick = 0;
        n.expressionSent = 0;
        n.bendSent = 0;
        n.deferredRelease = 0;
    }
}

void frameForm(TrackerContext& c, const TrackerFrame& frame) {
    if (frame.slot < 0 || frame.slot >= kSlotCount || c.tracker.notes.empty()) return;
    emitMetas(c, frame);
    updateStates(c, frame);
    confirm(c);
    TrackerState& t = c.tracker;
    if (t.tickCounter < 0) {  // look-ahead of MinimumLength frames
        ++t.tickCounter;
        return;
    }
    if (c.p.cropSilence && t.leadingSilence) return;
    const KeySelection selected = selectKeys(c);
    for (int k = c.p.keyMin; k <= c.p.topKey; ++k) emitKey(c, k, selected[k]);
    endFrame(c);
}

}  // namespace

void StartTracker(const TrackerParams& params, TrackerState& state) {
    startForm(params, state);
}

void TrackFrame(const TrackerParams& params, const TrackerFrame& frame, TrackerState& state,
                TrackerReport& report, MidiEventSink& sink) {
    TrackerContext c{params, state, report, sink};
    frameForm(c, frame);
}

bool TrackerIsIdle(const TrackerParams& params, const TrackerState& t, std::string_view chordText) {
    if (!params.liveRun && !params.autoTiming && !params.drums && chordText != t.lastChord) {
        return false;  // a chord meta may still be due
    }
    // An unconfirmed attempt whose level is still held ends in silence without being confirmed
    // (its frame count stays below the key's minimum); one with no level left would be confirmed
    // by frames alone while its peak reaches the start threshold.
    for (int k = params.keyMin; k < static_cast<int>(t.notes.size()) && k <= params.topKey; ++k) {
        const NoteState& n = t.notes[k];
        if (n.confirmed != 0 || n.sounding != 0 || n.start != 0 || n.release != 0 ||
            n.deferredRelease != 0 || n.reattack != 0 ||
            (n.previous == 0 && n.peak >= 2 * params.threshold)) {
            return false;
        }
    }
    return true;
}

}  // namespace velt::engine

// The note tracker: turns the frame history, slot by slot, into MIDI note, controller, bend,
// tempo and chord events. It enforces each key's minimum note length, the output threshold,
// re-attacks, the polyphony limit and at most one event of each kind per key per MIDI tick.
#include <algorithm>
#include <climits>

#include "analysis/note_tracker.h"
#include "midi_events.h"
#include "rounding.h"
#include "run_state.h"

namespace velt::engine {

namespace {

constexpr int kNoteOn = 0x90;
constexpr int kNoteOff = 0x80;
constexpr int kControlChange = 0xB0;
constexpr int kPitchBend = 0xE0;
constexpr int kChordMeta = 0xFF;
constexpr int kTempoMeta = 0x51;
constexpr int kNoBendSent = 127;  // makes the first bend of a key always go out

struct TrackerContext {
    RunState& state;
    TrackerState& tracker;
    int keyMin;
    int topKey;
    int threshold;
    int polyphony;
    int channel;

    void send(int status, int data1, int data2) {
        EmitMidiEvent(tracker.tickCounter, status, data1, data2, channel);
    }
};

TrackerContext context() {
    RunState& state = run();
    const ProjectSettings& settings = state.settings;
    int pitchMode = settings.PitchMode;
    return TrackerContext{state,
                          state.analysis.tracker,
                          std::max(settings.KeyMin, 0),
                          std::min(state.geo.TopKey, kKeyCount - 1),
                          settings.OutputThreshold,
                          pitchMode < 2 ? 1 : pitchMode,
                          state.geo.partChannel};
}

int minFrames(const RunState& state, int key) {
    const auto& records = state.analysis.bank.records;
    if (key < static_cast<int>(records.size())) return records[key].minFrames;
    return state.settings.MinimumLength;
}

void startForm(TrackerContext& c) {
    const ProjectSettings& settings = c.state.settings;
    TrackerState& t = c.tracker;
    t.tickCounter = 1 - settings.MinimumLength;
    t.framePhase = settings.MinimumLength / 2;
    t.leadingSilence = 1;
    t.lastTempo = 0;
    t.lastChord = "N/C";
    t.notes.assign(kKeyCount, NoteState{});
    t.lastBendSent.assign(kKeyCount, kNoBendSent);
    t.lastBrightnessSent.assign(kKeyCount, 0);
    for (int k = c.keyMin; k <= c.topKey; ++k) t.notes[k].frames = minFrames(c.state, k);
}

void emitMetas(TrackerContext& c, int slot) {
    const ProjectSettings& settings = c.state.settings;
    TrackerState& t = c.tracker;
    if (c.state.geo.liveRun || settings.AutoTiming != 0) return;
    // A negative tick counter is the look-ahead: no event may carry it as its delta.
    if (settings.PitchMode != 0 && slot == settings.MinimumLength - 1 && t.tickCounter >= 0 &&
        c.state.status.chordText != t.lastChord) {
        c.send(kChordMeta, 0, 0);
        if (settings.CropSilence == 0) t.leadingSilence = 0;
        t.lastChord = c.state.status.chordText;
    }
    int beat = c.state.analysis.beatLengths[slot];
    if (settings.TempoTrack == 1 && t.tickCounter >= 0 && beat != 0 && beat != t.lastTempo) {
        c.send(kTempoMeta, beat, 0);
        t.lastTempo = beat;
    }
}

void updateStates(TrackerContext& c, int slot) {
    const int T = c.threshold;
    const bool filter = c.state.geo.filterInUse;
    const int minimumLength = c.state.settings.MinimumLength;
    TrackerState& t = c.tracker;
    for (int k = c.keyMin; k <= c.topKey; ++k) {
        NoteState& n = t.notes[k];
        const HistoryCell& cell = c.state.analysis.cell(k, slot);
        const int cur = cell.level;
        const int prev = n.previous;
        const int shortest = minFrames(c.state, k);
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
    for (int k = c.keyMin; k <= c.topKey; ++k) {
        NoteState& n = t.notes[k];
        if (n.frames < minFrames(c.state, k)) continue;
        if (n.peak >= 2 * c.threshold && !n.confirmed) {
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

// Chooses the keys that may sound this tick; a chosen key's sounding and start are negated.
std::vector<bool> selectKeys(TrackerContext& c) {
    TrackerState& t = c.tracker;
    std::vector<bool> selected(kKeyCount, false);
    int alreadySent = 0;
    int wanting = 0;
    for (int k = c.keyMin; k <= c.topKey; ++k) {
        const NoteState& n = t.notes[k];
        if (n.sentThisTick) {
            ++alreadySent;
            selected[k] = true;
        } else if (n.sounding != 0 || n.start != 0) {
            ++wanting;
        }
    }
    if (wanting + alreadySent > c.polyphony) {
        for (int chosen = 0; chosen < c.polyphony - alreadySent; ++chosen) {
            int best = -1;
            int bestValue = INT_MIN;
            for (int k = c.topKey; k >= c.keyMin; --k) {
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
        for (int k = c.keyMin; k <= c.topKey; ++k) selected[k] = true;
    }
    for (int k = c.keyMin; k <= c.topKey; ++k) {
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
    const ProjectSettings& settings = c.state.settings;
    if (settings.Controller != 0 && c.polyphony < 2 && !n.expressionSent) {
        c.send(kControlChange, settings.Controller, 127);
        n.expressionSent = 1;
        n.expression = 127;
    }
}

void noteStarted(TrackerContext& c, int key, const NoteState& n) {
    StatusValues& status = c.state.status;
    status.startedKey = key;
    status.startedBend = static_cast<float>(n.bend);
}

void sendControllers(TrackerContext& c, int key, NoteState& n) {
    const ProjectSettings& settings = c.state.settings;
    TrackerState& t = c.tracker;
    if (settings.Brightness != 0 && n.brightness != 0 &&
        n.brightness != t.lastBrightnessSent[key]) {
        c.send(kControlChange, settings.Brightness, n.brightness);
        t.lastBrightnessSent[key] = n.brightness;
    }
    if (settings.PitchBend == 1 && c.polyphony < 2 && n.bend != t.lastBendSent[key] &&
        !n.bendSent) {
        c.send(kPitchBend, 0, std::clamp(n.bend + 64, 0, 127));
        t.lastBendSent[key] = n.bend;
        n.bendSent = 1;
        if (c.state.status.startedKey == key)
            c.state.status.startedBend = static_cast<float>(n.bend);
    }
}

void emitKey(TrackerContext& c, int k, bool selected) {
    const ProjectSettings& settings = c.state.settings;
    StatusValues& status = c.state.status;
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
                if (settings.Controller != 0 && c.polyphony < 2) {
                    // The level relative to the note's peak; a zero peak counts as full level.
                    int value =
                        n.peak == 0 ? 127 : std::min(127, truncToInt(127.0 / n.peak * n.level));
                    if (value != n.expression && !n.expressionSent) {
                        c.send(kControlChange, settings.Controller, value);
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
    int framesPerTick = 1 << std::clamp(c.state.geo.subdivisionExp, 0, 30);
    ++t.framePhase;
    if (t.framePhase % framesPerTick != 0) return;
    ++t.tickCounter;
    for (int k = c.keyMin; k <= c.topKey; ++k) {
        NoteState& n = t.notes[k];
        if (n.deferredRelease != 0) c.send(kNoteOff, k, n.deferredRelease);
        n.sentThisTick = 0;
        n.expressionSent = 0;
        n.bendSent = 0;
        n.deferredRelease = 0;
    }
}

void frameForm(TrackerContext& c) {
    int slot = c.state.analysis.slot;
    if (slot < 0 || slot >= kSlotCount || c.tracker.notes.empty()) return;
    emitMetas(c, slot);
    updateStates(c, slot);
    confirm(c);
    TrackerState& t = c.tracker;
    if (t.tickCounter < 0) {  // look-ahead of MinimumLength frames
        ++t.tickCounter;
        return;
    }
    if (c.state.settings.CropSilence == 1 && t.leadingSilence) return;
    std::vector<bool> selected = selectKeys(c);
    for (int k = c.keyMin; k <= c.topKey; ++k) emitKey(c, k, selected[k]);
    endFrame(c);
}

}  // namespace

bool TrackerIdle() {
    TrackerContext c = context();
    const TrackerState& t = c.tracker;
    const ProjectSettings& settings = c.state.settings;
    if (!c.state.geo.liveRun && settings.AutoTiming == 0 && settings.PitchMode != 0 &&
        c.state.status.chordText != t.lastChord) {
        return false;  // a chord meta may still be due
    }
    // An unconfirmed attempt whose level is still held ends in silence without being confirmed
    // (its frame count stays below the key's minimum); one with no level left would be confirmed
    // by frames alone while its peak reaches the start threshold.
    for (int k = c.keyMin; k < static_cast<int>(t.notes.size()) && k <= c.topKey; ++k) {
        const NoteState& n = t.notes[k];
        if (n.confirmed != 0 || n.sounding != 0 || n.start != 0 || n.release != 0 ||
            n.deferredRelease != 0 || n.reattack != 0 ||
            (n.previous == 0 && n.peak >= 2 * c.threshold)) {
            return false;
        }
    }
    return true;
}

void StartNoteTracker() {
    TrackerContext c = context();
    startForm(c);
}

void TrackSlot() {
    TrackerContext c = context();
    frameForm(c);
}

}  // namespace velt::engine

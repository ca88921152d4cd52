#!/usr/bin/env python3
"""Writes a MIDI file of a piece that never repeats, for the decoding benchmark.

    make_piece.py OUT.mid [SECONDS]

A fixed seed gives the same piece every time. Each section of eight bars picks its own key,
tempo, chord progression and instruments (strings, winds, brass, voices, organ, guitars, piano,
bass and drums), so the rendered audio changes all the time, the way music does.
"""
import random
import sys

import mido

TICKS = 480
# General MIDI programs (0-based) by role.
LEADS = [40, 41, 56, 60, 65, 68, 71, 73, 52, 54, 80, 22]  # violin, viola, trumpet, horn, sax...
PADS = [48, 49, 50, 19, 52, 89, 91, 61, 42, 44]            # strings, organ, choir, brass...
PLUCKED = [0, 4, 24, 25, 46, 11, 105, 6]                  # piano, guitars, harp, vibraphone...
BASSES = [32, 33, 35, 38, 43]
SCALES = [[0, 2, 4, 5, 7, 9, 11], [0, 2, 3, 5, 7, 8, 10], [0, 2, 3, 5, 7, 9, 10],
          [0, 2, 4, 7, 9], [0, 1, 4, 5, 7, 8, 10]]


def main():
    out = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 600.0
    rng = random.Random(20261210)
    events = []  # (tick, order, message)

    def note(channel, start, length, pitch, velocity):
        pitch = max(24, min(100, pitch))
        events.append((start, 1, mido.Message('note_on', channel=channel, note=pitch,
                                               velocity=velocity)))
        events.append((start + max(1, length), 0, mido.Message('note_off', channel=channel,
                                                               note=pitch)))

    tick = 0
    elapsed = 0.0
    while elapsed < seconds:
        bpm = rng.randint(72, 150)
        key = rng.randint(0, 11)
        scale = rng.choice(SCALES)
        bars = 8
        beat_seconds = 60.0 / bpm
        events.append((tick, 0, mido.MetaMessage('set_tempo', tempo=mido.bpm2tempo(bpm))))
        programs = [rng.choice(LEADS), rng.choice(PADS), rng.choice(PLUCKED), rng.choice(BASSES)]
        for channel, program in enumerate(programs):
            events.append((tick, 0, mido.Message('program_change', channel=channel,
                                                 program=program)))
            events.append((tick, 0, mido.Message('control_change', channel=channel, control=10,
                                                 value=rng.randint(20, 108))))
        degrees = [rng.randrange(len(scale)) for _ in range(4)]
        lead = 60 + key + rng.randint(-5, 7)
        for bar in range(bars):
            start = tick + bar * 4 * TICKS
            root = degrees[bar % 4]
            chord = [key + 48 + scale[(root + i) % len(scale)] + 12 * ((root + i) // len(scale))
                     for i in (0, 2, 4)]
            for pitch in chord:  # the pad holds the chord
                note(1, start, 4 * TICKS - 10, pitch, rng.randint(45, 70))
            note(3, start, 2 * TICKS, chord[0] - 12, 90)  # bass on beats one and three
            note(3, start + 2 * TICKS, 2 * TICKS, chord[0] - 12 + rng.choice([0, 7, 12]), 85)
            t = 0
            while t < 4 * TICKS:  # plucked arpeggio
                length = rng.choice([TICKS // 4, TICKS // 2])
                note(2, start + t, length, rng.choice(chord) + 12 * rng.randint(0, 1),
                     rng.randint(50, 90))
                t += length
            t = 0
            while t < 4 * TICKS:  # the lead wanders through the scale
                length = rng.choice([TICKS // 2, TICKS, TICKS, 3 * TICKS // 2, 2 * TICKS])
                lead += rng.choice([-4, -2, -1, 0, 1, 2, 3, 5])
                lead = max(55, min(88, lead))
                pitch = key + 12 * ((lead - key) // 12) + min(scale, key=lambda s: abs(
                    (lead - key) % 12 - s))
                if rng.random() > 0.15:
                    note(0, start + t, length - 20, pitch, rng.randint(60, 110))
                t += length
            for beat in range(8):  # drums on channel 10
                at = start + beat * TICKS // 2
                if beat % 4 == 0:
                    note(9, at, 60, 36, 100)
                if beat % 4 == 2:
                    note(9, at, 60, rng.choice([38, 40]), 95)
                note(9, at, 30, rng.choice([42, 42, 44, 46]), rng.randint(50, 80))
        tick += bars * 4 * TICKS
        elapsed += bars * 4 * beat_seconds

    events.sort(key=lambda e: (e[0], e[1]))
    track = mido.MidiTrack()
    last = 0
    for at, _, message in events:
        track.append(message.copy(time=at - last))
        last = at
    midi = mido.MidiFile(ticks_per_beat=TICKS)
    midi.tracks.append(track)
    midi.save(out)


if __name__ == '__main__':
    main()

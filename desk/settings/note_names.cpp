// Note names (KeyToVal, ValToKey) and the test tones on the MIDI output (PlaySound).
#include <algorithm>
#include <cctype>

#include "desk/core/global.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/midi_message.h"
#include "desk/core/shared/test_note.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "platform/midi_out/midi_out.h"

namespace velt::desk {

namespace {

int semitoneOf(char letter) {
    switch (letter) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return -1;
    }
}

}  // namespace

int32_t frmProperties::KeyToVal(const std::string& name) const {
    size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return -1;
    std::string text = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (text.size() < 2 || text.size() > 4) return -1;
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    int semitone = semitoneOf(text[0]);
    if (semitone < 0) return -1;
    size_t octaveAt = 1;
    if (text[1] == '#') {
        ++semitone;
        octaveAt = 2;
    } else if (text[1] == 'B') {
        --semitone;
        octaveAt = 2;
    } else if (!std::isdigit(static_cast<unsigned char>(text[1]))) {
        return -1;
    }
    std::string octave = text.substr(octaveAt);
    int32_t number;
    if (octave.size() == 1 && std::isdigit(static_cast<unsigned char>(octave[0])))
        number = octave[0] - '0';
    else if (octave == "10")
        number = 10;
    else
        return -1;
    return semitone + 12 * number;
}

std::string frmProperties::ValToKey(int32_t note) const {
    note = std::max(note, 0);  // callers hold notes to 0 and up; a stray negative names C0
    int32_t octave = note / 12;
    int32_t semitone = note - 12 * octave;
    std::string name = NoteNames[static_cast<size_t>(semitone)];
    name += std::to_string(octave);
    // Flat keys spell the black keys with flats: C# becomes Db.
    if (cboKey.ListIndex() > 8 && name.size() > 1 && name[1] == '#') {
        name[0] = name[0] == 'G' ? 'A' : static_cast<char>(name[0] + 1);
        name[1] = 'b';
    }
    return name;
}

namespace {
constexpr int32_t kPercussionChannel0 = 9;  // MIDI channel 10, 0-based
}  // namespace

void frmProperties::PlaySound(int32_t mode, int32_t i) {
    Global& g = G();
    tmrMidi_Timer();
    g.MidiResult = platform::midi_out::open(g.hMidiOut, g.MidiDevice);
    if (!g.SuppressMidiErrors && g.MidiResult != 0) {
        ShowMessage(testNoteError(g.MidiResult), ui::Exclamation, "Open MIDI", 97);
        return;
    }
    int32_t program = WorkPatch;
    // The box's channel held to 1..16, so the status byte is always a channel message.
    int32_t channel = ChannelInBox() - 1;
    std::vector<int32_t> notes;
    auto rowOr = [](const PartRange& rows, int32_t row, int32_t fallback) {
        return row >= 0 && row < static_cast<int32_t>(rows.size()) ? rows[static_cast<size_t>(row)]
                                                                   : fallback;
    };
    switch (mode) {
        case 0: {
            int row = cboKey.ListIndex();
            if (row <= 0 || row > 15) return;
            int32_t root = TonicNotes[static_cast<size_t>(row - 1)];
            int32_t fifth = root + 7;
            if (fifth > 66) fifth -= 12;
            int32_t third = root + (optMajorMinor(0).Value() ? 4 : 3);
            if (third > 66) third -= 12;
            notes = {root, fifth, third};
            break;
        }
        case 1:
            notes = {i != -1 ? rowOr(g.RowKeyMax, i, WorkKeyMax) : WorkKeyMax};
            break;
        case 2:
            notes = {i != -1 ? rowOr(g.RowKeyMin, i, WorkKeyMin) : WorkKeyMin};
            break;
        case 3:
            notes = {60};
            break;
        case 4:
            // On channel 10 the patch list holds the percussion sounds: the key is the drum.
            if (optBeatDetect(0).Value() && channel != kPercussionChannel0) {
                notes = {60};
            } else {
                notes = {WorkPatch};
                program = 0;
            }
            break;
        case 5:
            notes = {i};
            program = 0;
            channel = kPercussionChannel0;
            break;
        case 6:
            notes = {60};
            program = ToLong(Val(Wizard->instrumentRow()));
            break;
        default:
            return;
    }
    SendMidiMsg(0xC0 + channel, program, 0);
    for (int32_t note : notes) SendMidiMsg(0x90 + channel, note, g.Velocity);
    tmrMidi.setInterval(std::clamp(g.Duration, 1, 65535));
    tmrMidi.setEnabled(true);
    g.SuppressMidiErrors = false;
}

void frmProperties::tmrMidi_Timer() {
    Global& g = G();
    tmrMidi.setEnabled(false);
    // The reset silences the tone; no note-off is sent.
    g.MidiResult = platform::midi_out::reset(g.hMidiOut);
    g.MidiResult = platform::midi_out::close(g.hMidiOut);
    g.hMidiOut = 0;
}

}  // namespace velt::desk

// The dialog's note names (spelled for the key its list shows) and the test tones on the MIDI
// output (PlaySound).
#include "desk/core/shared/note_names.h"

#include <algorithm>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/test_note.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/window_links/wizard_pages.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

int32_t frmProperties::KeyToVal(const std::string& name) const {
    return desk::KeyToVal(name);
}

std::string frmProperties::ValToKey(int32_t note) const {
    return desk::ValToKey(note, ListedKeySignature());
}

int32_t frmProperties::ListedKeySignature() const {
    return 8 - cboKey.ListIndex();
}

namespace {
constexpr int32_t kPercussionChannel0 = 9;  // MIDI channel 10, 0-based
}  // namespace

void frmProperties::PlaySound(int32_t mode, int32_t i) {
    Global& g = G();
    tmrMidi_Timer();
    if (OpenTestTonePort(g.MidiDevice) != 0 && !g.SuppressMidiErrors) {
        ShowMessage(testNoteError(g.MidiResult), ui::Exclamation, "Open MIDI",
                    help_topic::MidiAndAudioDeviceErrors);
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
            notes = TonicChord(TonicNotes[static_cast<size_t>(row - 1)], optMajorMinor(0).Value());
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
            program = ToLong(Val(WizardFiles().instrumentRow()));
            break;
        default:
            return;
    }
    SendTestTone(channel, program, notes, g.Velocity);
    tmrMidi.setInterval(std::clamp(g.Duration, 1, 65535));
    tmrMidi.setEnabled(true);
    g.SuppressMidiErrors = false;
}

void frmProperties::tmrMidi_Timer() {
    tmrMidi.setEnabled(false);
    EndTestTone();
}

}  // namespace velt::desk

// The dialog's note names (spelled for the key its list shows) and its test tones
// (desk/core/shared/test_tones.h) on the channel and program it shows.
#include "desk/core/shared/note_names.h"

#include <optional>

#include "desk/core/shared/test_tones.h"
#include "desk/settings/frm_properties.h"

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

ToneVoice frmProperties::TestToneVoice() const {
    // The box's channel held to 1..16, so the status byte is always a channel message.
    return {ChannelInBox() - 1, WorkPatch};
}

void frmProperties::PlayKeyChord() {
    const int row = cboKey.ListIndex();
    std::optional<int32_t> tonic;  // "Auto Detect" (row 0) has none
    if (row > 0 && row <= 15) tonic = TonicNotes[static_cast<size_t>(row - 1)];
    PlayTonicChord(TestToneVoice(), tonic, optMajorMinor(0).Value());
}

void frmProperties::PlayPatch() {
    const ToneVoice voice = TestToneVoice();
    // On channel 10 the patch list holds the percussion sounds: the patch is the drum.
    if (optBeatDetect(0).Value() && voice.channel != kPercussionChannelIndex) {
        PlayTestNote(voice, kMiddleC);
    } else {
        PlayDrumSound(WorkPatch, voice.channel);
    }
}

}  // namespace velt::desk

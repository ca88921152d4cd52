#include "desk/core/shared/test_tones.h"

#include <algorithm>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/test_note.h"
#include "desk/ui/runtime.h"
#include "desk/ui/scheduler.h"

namespace velt::desk {

namespace {

// Ends the tone still sounding and opens the port for the next one. False: the port did not
// open and the user was told.
bool openForTone() {
    Global& g = G();
    StopTestTone();
    if (OpenTestTonePort(g.MidiDevice) != 0 && !g.SuppressMidiErrors) {
        ShowMessage(testNoteError(g.MidiResult), ui::Exclamation, "Open MIDI",
                    help_topic::MidiAndAudioDeviceErrors);
        return false;
    }
    return true;
}

// Sends the tone and has it ended after Duration (1..65535 ms).
void sound(ToneVoice voice, const std::vector<int32_t>& notes) {
    Global& g = G();
    SendTestTone(voice.channel, voice.program, notes, g.Velocity);
    const int64_t length = std::clamp(g.Duration, 1, 65535);
    g.TestToneEnd = ui::Scheduler::instance().postAt(ui::runtime().clock().nowMs() + length, [] {
        G().TestToneEnd = 0;
        EndTestTone();
    });
    g.SuppressMidiErrors = false;
}

}  // namespace

void PlayTonicChord(ToneVoice voice, std::optional<int32_t> tonic, bool major) {
    if (!openForTone() || !tonic) return;
    sound(voice, TonicChord(*tonic, major));
}

void PlayTestNote(ToneVoice voice, int32_t note) {
    if (openForTone()) sound(voice, {note});
}

void PlayDrumSound(int32_t key, int32_t channel) {
    if (openForTone()) sound({channel, 0}, {key});
}

void StopTestTone() {
    Global& g = G();
    if (g.TestToneEnd != 0) ui::Scheduler::instance().cancel(g.TestToneEnd);
    g.TestToneEnd = 0;
    EndTestTone();
}

bool TestToneSounding() {
    return G().TestToneEnd != 0;
}

}  // namespace velt::desk

// Showing an audio file: GetWaveInfo has the file inspected (desk/core/shared/audio_inspection.h)
// and shows what was found: the refusals and level warnings, the dialog's audio-description
// fields, a few project values and the time-range and stereo controls.
#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/audio_inspection.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

namespace {

constexpr const char* kTitle = "Project";

}  // namespace

void frmProperties::DefaultWaveInfo() {
    SampleRate = 44100;
    ChannelCount = 2;
    AudioSeconds = 3600;
}

void frmProperties::refusedFile(const std::string& text, long help) {
    ShowMessage(text, ui::Exclamation, kTitle, help);
    DefaultWaveInfo();
}

void frmProperties::GetWaveInfo(const std::string& audioPath) {
    const std::string path = audioPath;
    cmdPlay.setEnabled(false);
    if (path.empty()) {
        ShowRealTimeMode();
    } else {
        cboMidiFile.setEnabled(true);
        cmdMidiBrowse.setEnabled(true);
        G().AudioFileValid = false;
        // A failed or cancelled decode ends here: the controls keep what they show.
        if (!ShowInspection(InspectAudioFile(path, PreviousAudioFile, DecodeAudio))) return;
    }
    FitControlsToAudio(path.empty());
}

void frmProperties::ShowRealTimeMode() {
    Global& g = G();
    cboMidiFile.Clear();
    CurrentMidiFile = "[Real Time Mode]";
    cboMidiFile.setText(CurrentMidiFile);
    g.SourceAudioFile.clear();
    cboMidiFile.setEnabled(false);
    cmdMidiBrowse.setEnabled(false);
    g.AudioFileValid = true;
    DefaultWaveInfo();
}

bool frmProperties::ShowInspection(const AudioInspection& found) {
    switch (found.finding) {
        case AudioFinding::RealTime:
            ShowRealTimeMode();
            return true;
        case AudioFinding::Missing:
            refusedFile("Audio file does not currently exist.", help_topic::AudioFileNotFound);
            return true;
        case AudioFinding::NotSupported:
            ShowMessage(
                "Audio file format not supported.  Select a wave, MP3, WMA, AAC, or AIFF file.",
                ui::Exclamation, kTitle, help_topic::AudioFormats);
            return false;
        case AudioFinding::DecoderMissing:
            // The decoder for this format is not installed: say what is needed.
            CheckWmaSupport();
            G().AudioFileValid = false;
            DefaultWaveInfo();
            return true;
        case AudioFinding::NotDecoded:
            return false;
        case AudioFinding::Wave:
            ShowWave(found);
            return true;
    }
    return true;
}

void frmProperties::ShowWave(const AudioInspection& found) {
    Global& g = G();
    const WaveHead& head = found.head;
    if (head.tagsRead) {
        WaveBytes = head.bytes;
        RiffTagSum = head.riffTagSum;
        RiffSize = head.riffSize;
        WaveTagSum = head.waveTagSum;
    }
    if (head.formatRead) {
        FmtSize = head.fmtSize;
        FormatTag = head.formatTag;
        ChannelCount = head.channelCount;
        SampleRate = head.sampleRate;
        ByteRate = head.byteRate;
        BlockAlign = head.blockAlign;
        BitsPerSample = head.bitsPerSample;
        g.AudioChannels = ChannelCount;
    }
    switch (head.verdict) {
        case WaveVerdict::Accepted:
            break;
        case WaveVerdict::Unreadable:
            refusedFile("Error accessing Audio File information.", help_topic::AudioFileReadError);
            return;
        case WaveVerdict::NotWave:
            refusedFile("Wave file format not supported.  Not a valid wave file.",
                        help_topic::AudioFormats);
            return;
        case WaveVerdict::Compressed:
            refusedFile(
                "This wave file is compressed.  Only uncompressed wave files are supported.",
                help_topic::AudioFormats);
            return;
        case WaveVerdict::Tracks:
            refusedFile("This audio file has " + std::to_string(ChannelCount) +
                            " tracks. Only audio files with 1 or 2 tracks are supported.",
                        help_topic::AudioFormats);
            return;
        case WaveVerdict::Bits:
            refusedFile("This audio file has " + std::to_string(BitsPerSample) +
                            " bits per sample. Only audio files with 8, 16, 24, or 32 bits "
                            "per sample are supported.",
                        help_topic::AudioFormats);
            return;
        case WaveVerdict::TooShort:
            ShowMessage("This audio file is too short.", ui::Exclamation, kTitle);
            DefaultWaveInfo();
            return;
    }

    g.AudioFileValid = true;
    cmdPlay.setEnabled(true);
    ExactAudioSeconds = found.exactSeconds;
    AudioSeconds = FloorLong(ExactAudioSeconds);
    if (ParseHMS(txtEndPoint.Text()) > AudioSeconds) g.AudioLength = ExactAudioSeconds;
    if (found.level) ShowRecordingLevel(*found.level);
}

// The level warnings are for the user's own recordings: a transferred CD track is taken as it is.
void frmProperties::ShowRecordingLevel(const RecordingLevel& level) {
    const bool warn = !G().CDTransferDone;
    const int32_t distortion = ToLong(level.distortion * 100.0);
    if (warn && distortion >= 10)
        ShowMessage(
            "For best results, we recommend using a cleanly recorded audio file.  This audio file "
            "has a distortion level of " +
                std::to_string(distortion) + "%.  Click the Help button for more information.",
            ui::Exclamation, "Distortion Level Warning", help_topic::RecordingLevelAndDistortion);
    PeakLevel = ToLong(level.peak * 100.0);
    if (warn && PeakLevel < 25)
        ShowMessage(
            "For best results, we recommend a recording level of at least 25%.  This audio file "
            "was recorded at only " +
                std::to_string(PeakLevel) +
                "%.  Click the Help button for instructions on increasing the recording level.",
            ui::Exclamation, "Audio Recording Level Warning",
            help_topic::RecordingLevelAndDistortion);
}

// The time range and the stereo controls follow the file (or the real-time input).
void frmProperties::FitControlsToAudio(bool realTime) {
    sldTimeRange.setMax(2147483647);
    if (ParseHMS(txtEndPoint.Text()) > AudioSeconds) txtEndPoint.setText(FormatHMS(AudioSeconds));
    if (ParseHMS(txtStartPoint.Text()) > ParseHMS(txtEndPoint.Text()))
        txtStartPoint.setText(txtEndPoint.Text());
    sldTimeRange.setSelStart(ParseHMS(txtStartPoint.Text()));
    sldTimeRange.setSelLength(ParseHMS(txtEndPoint.Text()) - sldTimeRange.SelStart());
    sldTimeRange.setMax(AudioSeconds);
    CheckEntireRange();
    const bool stereo = realTime || ChannelCount == 2;
    sldStereoPan.setEnabled(stereo);
    cmdStereoPanZero.setEnabled(stereo);
    for (int i = 0; i < 4; ++i) optStereo(i).setEnabled(stereo);
    lblLeft.setEnabled(stereo);
    lblRight.setEnabled(stereo);
    fraStereo.setEnabled(stereo);
    VirtualSampleRate = SampleRate;
    VirtualSRChange();
}

void frmProperties::CheckWmaSupport() {
    const SystemVersion version = VersionProvider ? VersionProvider() : SystemVersion{};
    const int32_t family = version.major + 10 * version.platformId;
    const int32_t v = family * 10 + version.minor;
    auto ask = [](const std::string& player) {
        if (ShowMessage("To use WMA files with Veltrane, you will need to upgrade to Windows "
                        "Media Player " +
                            player + ".  Would you like to install it now?",
                        ui::YesNo + ui::Question, "Decode") == ui::Yes)
            ShowHelpTopic(help_topic::CompressedAudioDecoders);
    };
    if (v >= 251) {
        ask("10");
        return;
    }
    const int32_t w = family * 10 + version.minor / 10;
    const bool secondEdition = version.build == ((0x040Au << 16) | 2222u);
    if (!secondEdition && w != 149 && w != 250) {
        ShowMessage(
            "To use WMA files with Veltrane, your computer needs to be running Windows 98 Second "
            "Editon or later.",
            ui::Critical, "Decode Error");
        return;
    }
    ask("9");
}

}  // namespace velt::desk

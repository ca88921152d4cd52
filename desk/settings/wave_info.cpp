// Audio file inspection: GetWaveInfo reads the head of the project's audio file, rejects what the
// converter cannot take, finds the usable length and the recording level, and leaves its findings
// in the dialog's audio-description fields, a few project values and the time-range controls.
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/run/decode_handover.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/shared/wave_head.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "platform/outside/wave_check.h"

namespace velt::desk {

namespace {

constexpr const char* kTitle = "Project";

std::string upperTail(const std::string& text, size_t n) {
    std::string tail = text.size() >= n ? text.substr(text.size() - n) : text;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return tail;
}

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
    Global& g = G();
    const std::string path = audioPath;
    cmdPlay.setEnabled(false);

    // What the inspection found; every road but a failed decode ends in the common end below.
    auto inspect = [&]() {
        if (path.empty()) {
            cboMidiFile.Clear();
            CurrentMidiFile = "[Real Time Mode]";
            cboMidiFile.setText(CurrentMidiFile);
            g.SourceAudioFile.clear();
            cboMidiFile.setEnabled(false);
            cmdMidiBrowse.setEnabled(false);
            g.AudioFileValid = true;
            DefaultWaveInfo();
            return true;
        }
        cboMidiFile.setEnabled(true);
        cmdMidiBrowse.setEnabled(true);
        g.AudioFileValid = false;
        std::error_code missing;
        if (!std::filesystem::exists(path, missing)) {
            refusedFile("Audio file does not currently exist.", help_topic::AudioFileNotFound);
            return true;
        }

        const std::string decoded = g.TempFolder + "/~temp.wav";
        std::string file;
        if (upperTail(path, 4) != ".WAV") {
            if (g.WaveReady) {
                file = decoded;  // the earlier decode is reused
            } else {
                g.SourceAudioFile = path;
                g.WorkWaveFile = decoded;
                std::string ext4 = upperTail(path, 4);
                if (ext4 == ".MP3" || ext4 == ".WMA" || ext4 == ".AAC" || ext4 == ".AIF" ||
                    upperTail(path, 5) == ".AIFF") {
                    if (DecodeAudio(path) == DecodeOutcome::ComponentMissing) {
                        // The decoder for this format is not installed: say what is needed.
                        CheckWmaSupport();
                        g.AudioFileValid = false;
                        DefaultWaveInfo();
                        return true;
                    }
                } else {
                    ShowMessage(
                        "Audio file format not supported.  Select a wave, MP3, WMA, AAC, or AIFF "
                        "file.",
                        ui::Exclamation, kTitle, help_topic::AudioFormats);
                }
                if (!g.WaveReady) return false;
                file = decoded;
            }
        } else {
            g.SourceAudioFile.clear();
            g.WaveReady = true;
            file = path;
        }

        const WaveHead head = ReadWaveHead(file);
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
                refusedFile("Error accessing Audio File information.",
                            help_topic::AudioFileReadError);
                return true;
            case WaveVerdict::NotWave:
                refusedFile("Wave file format not supported.  Not a valid wave file.",
                            help_topic::AudioFormats);
                return true;
            case WaveVerdict::Compressed:
                refusedFile(
                    "This wave file is compressed.  Only uncompressed wave files are supported.",
                    help_topic::AudioFormats);
                return true;
            case WaveVerdict::Tracks:
                refusedFile("This audio file has " + std::to_string(ChannelCount) +
                                " tracks. Only audio files with 1 or 2 tracks are supported.",
                            help_topic::AudioFormats);
                return true;
            case WaveVerdict::Bits:
                refusedFile("This audio file has " + std::to_string(BitsPerSample) +
                                " bits per sample. Only audio files with 8, 16, 24, or 32 bits "
                                "per sample are supported.",
                            help_topic::AudioFormats);
                return true;
            case WaveVerdict::TooShort:
                ShowMessage("This audio file is too short.", ui::Exclamation, kTitle);
                DefaultWaveInfo();
                return true;
        }
        const int64_t L = head.usableBytes;

        g.AudioFileValid = true;
        cmdPlay.setEnabled(true);
        ExactAudioSeconds = static_cast<float>(static_cast<double>(L) / BlockAlign / SampleRate);
        AudioSeconds = FloorLong(ExactAudioSeconds);
        if (ParseHMS(txtEndPoint.Text()) > AudioSeconds) g.AudioLength = ExactAudioSeconds;

        if (file != PreviousAudioFile) {
            platform::outside::WaveChecker checker;
            if (checker.CheckWave(file) != -1) {
                int32_t distortion = ToLong(checker.GetDistort() * 100.0);
                if (!g.CDTransferDone && distortion >= 10)
                    ShowMessage(
                        "For best results, we recommend using a cleanly recorded audio file.  "
                        "This audio file has a distortion level of " +
                            std::to_string(distortion) +
                            "%.  Click the Help button for more information.",
                        ui::Exclamation, "Distortion Level Warning",
                        help_topic::RecordingLevelAndDistortion);
                PeakLevel = ToLong(checker.GetMax() * 100.0);
                if (!g.CDTransferDone && PeakLevel < 25)
                    ShowMessage(
                        "For best results, we recommend a recording level of at least 25%.  This "
                        "audio file was recorded at only " +
                            std::to_string(PeakLevel) +
                            "%.  Click the Help button for instructions on increasing the "
                            "recording level.",
                        ui::Exclamation, "Audio Recording Level Warning",
                        help_topic::RecordingLevelAndDistortion);
            }
        }
        return true;
    };
    if (!inspect()) return;

    // Common end: the time range and the stereo controls follow the file.
    sldTimeRange.setMax(2147483647);
    if (ParseHMS(txtEndPoint.Text()) > AudioSeconds) txtEndPoint.setText(FormatHMS(AudioSeconds));
    if (ParseHMS(txtStartPoint.Text()) > ParseHMS(txtEndPoint.Text()))
        txtStartPoint.setText(txtEndPoint.Text());
    sldTimeRange.setSelStart(ParseHMS(txtStartPoint.Text()));
    sldTimeRange.setSelLength(ParseHMS(txtEndPoint.Text()) - sldTimeRange.SelStart());
    sldTimeRange.setMax(AudioSeconds);
    CheckEntireRange();
    bool stereo = path.empty() || ChannelCount == 2;
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

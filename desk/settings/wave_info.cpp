// Audio file inspection: GetWaveInfo reads the head of the project's audio file, rejects what the
// converter cannot take, finds the usable length and the recording level, and leaves its findings
// in the dialog's audio-description fields, a few project values and the time-range controls.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "desk/core/global.h"
#include "desk/core/run/decode_handover.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "platform/outside/wave_check.h"

namespace velt::desk {

namespace {

constexpr const char* kTitle = "Project";
constexpr double kShortestWindowSeconds = 0.04269;  // the engine's single-key analysis block

std::string upperTail(const std::string& text, size_t n) {
    std::string tail = text.size() >= n ? text.substr(text.size() - n) : text;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return tail;
}

// The subformat of an extensible header that means PCM: 00000001-0000-0010-8000-00aa00389b71.
constexpr unsigned char kPcmSubformat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                             0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

}  // namespace

int32_t frmProperties::CvI(int32_t i) const {
    return WaveBytes[static_cast<size_t>(i)] + 256 * WaveBytes[static_cast<size_t>(i) + 1];
}

int32_t frmProperties::CvL(int32_t i) const {
    uint32_t v = static_cast<uint32_t>(WaveBytes[static_cast<size_t>(i)]) |
                 static_cast<uint32_t>(WaveBytes[static_cast<size_t>(i) + 1]) << 8 |
                 static_cast<uint32_t>(WaveBytes[static_cast<size_t>(i) + 2]) << 16 |
                 static_cast<uint32_t>(WaveBytes[static_cast<size_t>(i) + 3]) << 24;
    return static_cast<int32_t>(v);  // a top byte of 128 or more reads negative
}

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
            refusedFile("Audio file does not currently exist.", 90);
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
                        ui::Exclamation, kTitle, 91);
                }
                if (!g.WaveReady) return false;
                file = decoded;
            }
        } else {
            g.SourceAudioFile.clear();
            g.WaveReady = true;
            file = path;
        }

        // The head of the file, byte by byte and as text.
        std::error_code ec;
        std::ifstream in(file, std::ios::binary);
        if (!in || !std::filesystem::is_regular_file(file, ec)) {
            g.AudioFileValid = false;
            refusedFile("Error accessing Audio File information.", 92);
            return true;
        }
        std::string text(kHeaderBytes, '\0');
        in.read(text.data(), kHeaderBytes);
        const auto got = static_cast<int32_t>(in.gcount());
        text.resize(static_cast<size_t>(got));
        std::fill(WaveBytes.begin(), WaveBytes.end(), 0);
        for (int32_t i = 0; i < got; ++i)
            WaveBytes[static_cast<size_t>(i) + 1] =
                static_cast<unsigned char>(text[static_cast<size_t>(i)]);

        RiffTagSum = WaveBytes[1] + WaveBytes[2] + WaveBytes[3] + WaveBytes[4];
        RiffSize = CvL(5);
        WaveTagSum = WaveBytes[9] + WaveBytes[10] + WaveBytes[11] + WaveBytes[12];
        const size_t fmtAt = text.find("fmt ");
        const size_t dataAt = text.find("data");
        const int32_t F = fmtAt == std::string::npos ? 0 : static_cast<int32_t>(fmtAt) + 1;
        const int32_t D = dataAt == std::string::npos ? 0 : static_cast<int32_t>(dataAt) + 1;
        if (F == 0 || D == 0 || WaveTagSum != 307 || RiffTagSum != 295) {
            refusedFile("Wave file format not supported.  Not a valid wave file.", 91);
            return true;
        }
        // The format fields and the data chunk's size must lie in the bytes read; beyond them
        // there is nothing to read.
        if (F + 23 > got || D + 7 > got) {
            refusedFile("Error accessing Audio File information.", 92);
            return true;
        }
        FmtSize = CvL(F + 4);
        FormatTag = CvI(F + 8);
        ChannelCount = CvI(F + 10);
        SampleRate = CvL(F + 12);
        ByteRate = CvL(F + 16);
        BlockAlign = CvI(F + 20);
        BitsPerSample = CvI(F + 22);
        g.AudioChannels = ChannelCount;
        // An extensible header with the PCM subformat is uncompressed PCM (sox writes 24- and
        // 32-bit files that way); its subformat lies at bytes F+32..F+47.
        if (FormatTag == 0xFFFE && FmtSize >= 40 && F + 47 <= got &&
            std::equal(std::begin(kPcmSubformat), std::end(kPcmSubformat),
                       WaveBytes.begin() + F + 32))
            FormatTag = 1;

        if (FormatTag != 1) {
            refusedFile(
                "This wave file is compressed.  Only uncompressed wave files are supported.", 91);
            return true;
        }
        if (ChannelCount < 1 || ChannelCount > 2) {
            refusedFile("This audio file has " + std::to_string(ChannelCount) +
                            " tracks. Only audio files with 1 or 2 tracks are supported.",
                        91);
            return true;
        }
        if (BitsPerSample != 8 && BitsPerSample != 16 && BitsPerSample != 24 &&
            BitsPerSample != 32) {
            refusedFile("This audio file has " + std::to_string(BitsPerSample) +
                            " bits per sample. Only audio files with 8, 16, 24, or 32 bits per "
                            "sample are supported.",
                        91);
            return true;
        }
        // Too short is what the engine cannot convert: less than one analysis window of samples
        // where it reads them (32 bytes past the "data" tag up to the RIFF size less 74, or the
        // end of the file). Its shortest window, that of single-key runs, is 0.04269 s.
        const int64_t L = static_cast<int64_t>(RiffSize) - D - 115;
        std::error_code sizeError;
        const auto fileBytes = static_cast<int64_t>(std::filesystem::file_size(file, sizeError));
        const int64_t present = sizeError ? L : std::min(L, fileBytes - (D - 1) - 32);
        const bool tooShort =
            L < 0 || (SampleRate > 0 && BlockAlign > 0 &&
                      present / BlockAlign < static_cast<int64_t>(kShortestWindowSeconds *
                                                                  static_cast<double>(SampleRate)));
        if (tooShort) {
            ShowMessage("This audio file is too short.", ui::Exclamation, kTitle);
            DefaultWaveInfo();
            return true;
        }
        if (SampleRate <= 0 || BlockAlign <= 0) {
            refusedFile("Error accessing Audio File information.", 92);
            return true;
        }

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
                        ui::Exclamation, "Distortion Level Warning", 154);
                PeakLevel = ToLong(checker.GetMax() * 100.0);
                if (!g.CDTransferDone && PeakLevel < 25)
                    ShowMessage(
                        "For best results, we recommend a recording level of at least 25%.  This "
                        "audio file was recorded at only " +
                            std::to_string(PeakLevel) +
                            "%.  Click the Help button for instructions on increasing the "
                            "recording level.",
                        ui::Exclamation, "Audio Recording Level Warning", 154);
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

void frmProperties::CheckEntireRange() {
    std::initializer_list<ui::Control*> range = {&sldTimeRange,  &txtStartPoint, &txtEndPoint,
                                                 &spnStartPoint, &spnEndPoint,   &lblStart,
                                                 &lblEnd};
    if (chkEntireRange.Value() == 1) {
        sldTimeRange.setSelStart(0);
        txtStartPoint.setText(FormatHMS(0));
        WorkStart = 0;
        sldTimeRange.setSelLength(AudioSeconds);
        txtEndPoint.setText(FormatHMS(AudioSeconds));
        for (ui::Control* c : range) c->setEnabled(false);
    } else {
        for (ui::Control* c : range) c->setEnabled(true);
    }
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
            ShowHelpTopic(kDecoderHelpTopic);
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

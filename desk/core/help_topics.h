// The help topics the desktop program offers, each named once for what its page explains. A
// topic is the number of its page, data/help/<topic>.html; the forms runtime (desk/ui) takes it
// as a plain long (message boxes' Help button, the controls' F1 help, the help window), so the
// names are long constants rather than an enum that every call would have to convert.
#pragma once

#include <array>
#include <string_view>

namespace velt::desk {

namespace help_topic {

// No help: a message box without a Help button, a control without F1 help.
inline constexpr long None = 0;

// Options (frmCustomize)
inline constexpr long OptionsWindow = 25;
inline constexpr long OptionsLinkedApplications = 26;
inline constexpr long OptionsSpeakerButtons = 27;
inline constexpr long OptionsOkButton = 30;
inline constexpr long OptionsCancelButton = 31;
inline constexpr long OptionsApplyButton = 32;
inline constexpr long OptionsUserLevel = 110;
inline constexpr long OptionsMidiFileUsage = 111;
inline constexpr long OptionsHelpButton = 150;
inline constexpr long OptionsLiveAudioDevice = 157;
inline constexpr long OptionsMidiDevice = 158;
inline constexpr long OptionsRecordingDevice = 178;
inline constexpr long OptionsPlayAutomatically = 199;
inline constexpr long AudioEditorPath = 84;
inline constexpr long MidiEditorPath = 87;
inline constexpr long CdPlayerPath = 143;
inline constexpr long MixerPath = 145;

// Linked applications that could not be started
inline constexpr long AudioEditor = 86;
inline constexpr long MidiEditor = 89;
inline constexpr long CdPlayer = 144;
inline constexpr long Mixer = 146;
inline constexpr long WebBrowser = 155;

// Project settings (frmProperties) and its refusals
inline constexpr long ProjectSettingsWindow = 33;
inline constexpr long AudioFileNotFound = 90;
inline constexpr long AudioFormats = 91;
inline constexpr long AudioFileReadError = 92;
inline constexpr long StartTimeFormat = 93;
inline constexpr long EndTimeFormat = 94;
inline constexpr long InvalidLowNote = 95;
inline constexpr long InvalidHighNote = 96;
inline constexpr long TappingPauseTooLong = 114;
inline constexpr long TappingTooFewTaps = 115;
inline constexpr long RecordingLevelAndDistortion = 154;
inline constexpr long CompressedAudioDecoders = 231;

// Devices and files
inline constexpr long MidiAndAudioDeviceErrors = 97;
inline constexpr long LevelMeter = 171;
inline constexpr long DeviceAndFileErrors = 172;

// The conversion and its outcomes
inline constexpr long ConverterErrors = 98;
inline constexpr long OpeningProject = 99;
inline constexpr long NoAudioFile = 100;
inline constexpr long AudioFileMissing = 101;
inline constexpr long AudioFileUnreadable = 102;
inline constexpr long AudioFormatNotSupported = 103;
inline constexpr long MidiFileNotCreated = 104;
inline constexpr long MidiFileNotWritten = 105;
inline constexpr long ConversionStopped = 106;
inline constexpr long OutOfMemory = 107;
inline constexpr long TimingSettings = 113;
inline constexpr long TimingNotDetected = 167;

// Live conversion (frmLive)
inline constexpr long LiveConversionWindow = 159;
inline constexpr long LiveCloseButton = 160;
inline constexpr long LiveSetThreshold = 161;
inline constexpr long LiveHelpButton = 162;
inline constexpr long LiveRecordingLevel = 163;
inline constexpr long LiveOutputPatch = 177;

// The help menu
inline constexpr long HowVeltraneWorks = 116;
inline constexpr long SolvingProblems = 173;

// The other windows
inline constexpr long NewProjectWizard = 120;
inline constexpr long RecorderWindow = 125;
inline constexpr long TapExtenderWindow = 137;
inline constexpr long DecoderMissing = 169;
inline constexpr long DecodeError = 170;
inline constexpr long EnsembleEditorWindow = 194;
inline constexpr long CdTransferWindow = 200;
inline constexpr long PlayerWindow = 207;
inline constexpr long WmaDecoding = 215;
inline constexpr long DrumKitEditorWindow = 990;

}  // namespace help_topic

struct HelpTopicName {
    long topic;
    std::string_view name;
};

// Every topic of help_topic but None, each with a page of its own.
inline constexpr std::array kHelpTopics = {
    HelpTopicName{help_topic::OptionsWindow, "OptionsWindow"},
    HelpTopicName{help_topic::OptionsLinkedApplications, "OptionsLinkedApplications"},
    HelpTopicName{help_topic::OptionsSpeakerButtons, "OptionsSpeakerButtons"},
    HelpTopicName{help_topic::OptionsOkButton, "OptionsOkButton"},
    HelpTopicName{help_topic::OptionsCancelButton, "OptionsCancelButton"},
    HelpTopicName{help_topic::OptionsApplyButton, "OptionsApplyButton"},
    HelpTopicName{help_topic::OptionsUserLevel, "OptionsUserLevel"},
    HelpTopicName{help_topic::OptionsMidiFileUsage, "OptionsMidiFileUsage"},
    HelpTopicName{help_topic::OptionsHelpButton, "OptionsHelpButton"},
    HelpTopicName{help_topic::OptionsLiveAudioDevice, "OptionsLiveAudioDevice"},
    HelpTopicName{help_topic::OptionsMidiDevice, "OptionsMidiDevice"},
    HelpTopicName{help_topic::OptionsRecordingDevice, "OptionsRecordingDevice"},
    HelpTopicName{help_topic::OptionsPlayAutomatically, "OptionsPlayAutomatically"},
    HelpTopicName{help_topic::AudioEditorPath, "AudioEditorPath"},
    HelpTopicName{help_topic::MidiEditorPath, "MidiEditorPath"},
    HelpTopicName{help_topic::CdPlayerPath, "CdPlayerPath"},
    HelpTopicName{help_topic::MixerPath, "MixerPath"},
    HelpTopicName{help_topic::AudioEditor, "AudioEditor"},
    HelpTopicName{help_topic::MidiEditor, "MidiEditor"},
    HelpTopicName{help_topic::CdPlayer, "CdPlayer"},
    HelpTopicName{help_topic::Mixer, "Mixer"},
    HelpTopicName{help_topic::WebBrowser, "WebBrowser"},
    HelpTopicName{help_topic::ProjectSettingsWindow, "ProjectSettingsWindow"},
    HelpTopicName{help_topic::AudioFileNotFound, "AudioFileNotFound"},
    HelpTopicName{help_topic::AudioFormats, "AudioFormats"},
    HelpTopicName{help_topic::AudioFileReadError, "AudioFileReadError"},
    HelpTopicName{help_topic::StartTimeFormat, "StartTimeFormat"},
    HelpTopicName{help_topic::EndTimeFormat, "EndTimeFormat"},
    HelpTopicName{help_topic::InvalidLowNote, "InvalidLowNote"},
    HelpTopicName{help_topic::InvalidHighNote, "InvalidHighNote"},
    HelpTopicName{help_topic::TappingPauseTooLong, "TappingPauseTooLong"},
    HelpTopicName{help_topic::TappingTooFewTaps, "TappingTooFewTaps"},
    HelpTopicName{help_topic::RecordingLevelAndDistortion, "RecordingLevelAndDistortion"},
    HelpTopicName{help_topic::CompressedAudioDecoders, "CompressedAudioDecoders"},
    HelpTopicName{help_topic::MidiAndAudioDeviceErrors, "MidiAndAudioDeviceErrors"},
    HelpTopicName{help_topic::LevelMeter, "LevelMeter"},
    HelpTopicName{help_topic::DeviceAndFileErrors, "DeviceAndFileErrors"},
    HelpTopicName{help_topic::ConverterErrors, "ConverterErrors"},
    HelpTopicName{help_topic::OpeningProject, "OpeningProject"},
    HelpTopicName{help_topic::NoAudioFile, "NoAudioFile"},
    HelpTopicName{help_topic::AudioFileMissing, "AudioFileMissing"},
    HelpTopicName{help_topic::AudioFileUnreadable, "AudioFileUnreadable"},
    HelpTopicName{help_topic::AudioFormatNotSupported, "AudioFormatNotSupported"},
    HelpTopicName{help_topic::MidiFileNotCreated, "MidiFileNotCreated"},
    HelpTopicName{help_topic::MidiFileNotWritten, "MidiFileNotWritten"},
    HelpTopicName{help_topic::ConversionStopped, "ConversionStopped"},
    HelpTopicName{help_topic::OutOfMemory, "OutOfMemory"},
    HelpTopicName{help_topic::TimingSettings, "TimingSettings"},
    HelpTopicName{help_topic::TimingNotDetected, "TimingNotDetected"},
    HelpTopicName{help_topic::LiveConversionWindow, "LiveConversionWindow"},
    HelpTopicName{help_topic::LiveCloseButton, "LiveCloseButton"},
    HelpTopicName{help_topic::LiveSetThreshold, "LiveSetThreshold"},
    HelpTopicName{help_topic::LiveHelpButton, "LiveHelpButton"},
    HelpTopicName{help_topic::LiveRecordingLevel, "LiveRecordingLevel"},
    HelpTopicName{help_topic::LiveOutputPatch, "LiveOutputPatch"},
    HelpTopicName{help_topic::HowVeltraneWorks, "HowVeltraneWorks"},
    HelpTopicName{help_topic::SolvingProblems, "SolvingProblems"},
    HelpTopicName{help_topic::NewProjectWizard, "NewProjectWizard"},
    HelpTopicName{help_topic::RecorderWindow, "RecorderWindow"},
    HelpTopicName{help_topic::TapExtenderWindow, "TapExtenderWindow"},
    HelpTopicName{help_topic::DecoderMissing, "DecoderMissing"},
    HelpTopicName{help_topic::DecodeError, "DecodeError"},
    HelpTopicName{help_topic::EnsembleEditorWindow, "EnsembleEditorWindow"},
    HelpTopicName{help_topic::CdTransferWindow, "CdTransferWindow"},
    HelpTopicName{help_topic::PlayerWindow, "PlayerWindow"},
    HelpTopicName{help_topic::WmaDecoding, "WmaDecoding"},
    HelpTopicName{help_topic::DrumKitEditorWindow, "DrumKitEditorWindow"},
};

}  // namespace velt::desk

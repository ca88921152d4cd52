// The wizard under test: a fresh shared module with install and temporary folders of their own,
// the data files beside the program, the recording MIDI device, a sound input double, WAV files
// made by sox, and every window forgotten afterwards. wizard() opens it hidden as the main window's
// New does, with WizardRunning set.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>

#include "audio_input_double.h"
#include "box_match.h"
#include "desk/core/global.h"
#include "desk/settings/frm_properties.h"
#include "desk/ui/testing/script.h"
#include "desk/wizard/frm_wizard.h"
#include "platform/midi_out/midi_out.h"
#include "test_support.h"

namespace velt::desk {

class WizardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        platform::midi_out::useDevices(&midi);
        namespace fs = std::filesystem;
        fs::create_directories(dir / "install");
        fs::create_directories(dir / "temp");
        for (const char* file : {"filter.txt", "percussion.txt"})
            fs::copy_file(test::sourceDir() / "data" / file, dir / "install" / file);
        fs::copy(test::sourceDir() / "data" / "Ensembles", dir / "install" / "Ensembles");
        G().InstallFolder = (dir / "install").string() + "/";
        G().TempFolder = (dir / "temp").string();
        G().AudioFolder = dir.path().string() + "/";
    }
    void TearDown() override {
        ui::forms::releaseAll();
        platform::midi_out::useDevices(nullptr);
        ResetGlobal();
    }

    frmWizard& wizard() {
        G().WizardRunning = true;
        return ui::Load<frmWizard>();
    }
    frmProperties& editor() { return ui::forms::get<frmProperties>(); }

    // A WAV file made by sox: half a second of a tone at half of full scale.
    std::string wave(const std::string& name, int channels = 2) {
        const std::string path = (dir / name).string();
        EXPECT_EQ(test::runCommand("sox -D -n -r 22050 -c " + std::to_string(channels) +
                                   " -b 16 -t wav " + test::shellQuote(path) +
                                   " synth 0.5 sine 440 vol 0.5 2>/dev/null")
                      .exitCode,
                  0);
        return path;
    }
    // Adds an audio file to the settings dialog's list, as its browse button does.
    void addAudio(const std::string& path) {
        editor().CurrentAudioFile = path;
        editor().AddToFileList();
    }

    // The centre of a tempo dial in whole twips, as the needle drawing rounds it.
    static std::pair<double, double> dialCentre(const ui::PictureBox& dial) {
        return {std::round(dial.Left() + std::round(dial.Width()) / 2),
                std::round(dial.Top() + std::round(dial.Height()) / 2)};
    }

    // Both ends of a needle: the pivot at the dial's centre, the tip inside the dial.
    static void expectNeedleOnDial(const ui::PictureBox& dial, const ui::Line& needle,
                                   const std::string& tempo) {
        const auto [cx, cy] = dialCentre(dial);
        EXPECT_EQ(needle.X2(), cx) << tempo;
        EXPECT_EQ(needle.Y2(), cy) << tempo;
        EXPECT_GE(needle.X1(), dial.Left()) << tempo;
        EXPECT_LE(needle.X1(), dial.Left() + dial.Width()) << tempo;
        EXPECT_GE(needle.Y1(), dial.Top()) << tempo;
        EXPECT_LE(needle.Y1(), dial.Top() + dial.Height()) << tempo;
    }

    ui::test::Script ui;
    test::TempDir dir;
    platform::midi_out::RecordingMidiOut midi{2};
    test_audio::FakeAudioInput meter;  // the recorder's level meter listens to it
};

}  // namespace velt::desk

// What the settings dialog's tests share: a fresh shared module with install and temporary
// folders of their own, the recording MIDI device, WAV files made by sox, and the dialog
// forgotten afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "box_match.h"
#include "desk/core/global.h"
#include "desk/core/shared/services.h"
#include "desk/settings/frm_properties.h"
#include "desk/ui/testing/script.h"
#include "platform/midi_out/midi_out.h"
#include "test_support.h"

namespace velt::desk {

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        platform::midi_out::useDevices(&midi);
        std::filesystem::create_directories(dir / "install");
        std::filesystem::create_directories(dir / "temp");
        G().InstallFolder = (dir / "install").string() + "/";
        G().TempFolder = (dir / "temp").string();
    }
    void TearDown() override {
        ui::Release<frmProperties>();
        platform::midi_out::useDevices(nullptr);
        UseShell(nullptr);
        ResetGlobal();
    }

    // A WAV file made by sox: `format` are the output options, `effects` what follows the file.
    std::string sox(const std::string& name, const std::string& format = "-r 44100 -c 2 -b 16",
                    const std::string& effects = "synth 1 sine 440 vol 0.5") {
        const std::string path = (dir / name).string();
        // The input's rate is the output's, so sample counts ("441029s") mean output samples.
        std::string rate = format.substr(0, format.find(" -c"));
        EXPECT_EQ(test::runCommand("sox -D " + rate + " -n " + format + " -t wav " +
                                   test::shellQuote(path) + " " + effects + " 2>/dev/null")
                      .exitCode,
                  0)
            << name;
        return path;
    }

    // The data files of the install folder, copied from the repository.
    void installData() {
        for (const char* file : {"filter.txt", "percussion.txt"})
            std::filesystem::copy_file(test::sourceDir() / "data" / file, dir / "install" / file);
        std::filesystem::copy(test::sourceDir() / "data" / "Ensembles",
                              dir / "install" / "Ensembles");
        std::filesystem::copy(test::sourceDir() / "data" / "Drum Kits",
                              dir / "install" / "Drum Kits");
    }

    frmProperties& dialog() { return ui::Load<frmProperties>(); }

    ui::test::Script ui;
    test::TempDir dir;
    platform::midi_out::RecordingMidiOut midi{2};
};

}  // namespace velt::desk

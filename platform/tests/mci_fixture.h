// The devices of the multimedia command tests: a timing the test moves, an input the test feeds,
// an output and a MIDI device that record what they are asked to do. Everything is put back and
// every alias closed when the test ends.
#pragma once

#include <gtest/gtest.h>

#include "platform/clock/timing.h"
#include "platform/mci/mci.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/clock_wave_out.h"
#include "platform/wave_io/fake_wave_in.h"
#include "test_support.h"

namespace velt::platform::mci {

class MciTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useTiming(&timing);
        wave_in::useDevices(&input);
        wave_out::useDevices(&output);
        midi_out::useDevices(&midi);
    }
    void TearDown() override {
        closeAll();
        useTiming(nullptr);
        wave_in::useDevices(nullptr);
        wave_out::useDevices(nullptr);
        midi_out::useDevices(nullptr);
    }

    // Writes a MIDI file from midicsv text with csvmidi.
    std::filesystem::path midiFile(const std::string& name, const std::string& csv) {
        test::writeFile(dir / (name + ".csv"), csv);
        auto file = dir / (name + ".mid");
        auto run =
            test::runCommand("csvmidi " + test::shellQuote((dir / (name + ".csv")).string()) + " " +
                             test::shellQuote(file.string()) + " 2>&1");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return file;
    }

    // Writes a WAV file with sox; `format` holds sox's output options.
    std::filesystem::path soxWav(const std::string& name, const std::string& format,
                                 const std::string& effect) {
        auto file = dir / name;
        auto run = test::runCommand("sox -D -n " + format + " " + test::shellQuote(file.string()) +
                                    " " + effect + " 2>&1");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return file;
    }

    test::TempDir dir;
    ManualTiming timing{1000};
    wave_in::FakeWaveIn input;
    wave_out::ClockWaveOut output{&timing.clock()};
    midi_out::RecordingMidiOut midi;
};

}  // namespace velt::platform::mci

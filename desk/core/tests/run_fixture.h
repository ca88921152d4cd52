// A private world for the conversion windows' tests: its own runtime, temp and "system" folders
// (the bridge's exchange files have fixed names), a main window made of hooks that record what
// the windows do to it, and a fake engine started by the real bridge. The fake engine stays
// alive until the test ends; the test writes the status lines it wants the windows to read, and
// the fake answers a cancel command with the engine's cancel line.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/run/bridge_loader.h"
#include "desk/core/shared/services.h"
#include "desk/ui/testing/script.h"
#include "platform/shell/shell.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::desk::test_run {

// A status line with the given status value; the other fields as named.
struct Line {
    std::string status = "0.000";
    int lowKey = 128, highKey = -1, keySig = 8, keyMode = 0;
    std::string tempo = "120.000000", resolution = "-1.000000", start = "0.000000";
    int chordRes = 0, numerator = 0;
    std::string pitch = "440.000000";
    std::string tail;  // appended after the chord text

    std::string text() const {
        return status + " " + std::to_string(lowKey) + " " + std::to_string(highKey) + " " +
               std::to_string(keySig) + " " + std::to_string(keyMode) + " " + tempo + " " +
               resolution + " " + start + " " + std::to_string(chordRes) + " " +
               std::to_string(numerator) + " 0 64.000000 " + pitch + " N/C" + tail;
    }
};

inline bool waitUntil(const std::function<bool()>& condition, int seconds = 10) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class RunTest : public ::testing::Test {
  protected:
    RunTest() {
        namespace fs = std::filesystem;
        for (const fs::path& folder : {runtime_, temp_, system_, work_})
            fs::create_directories(folder);
        fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
        ResetGlobal();
        Global& g = G();
        g.TempFolder = temp_.string();
        g.TempProject = (temp_ / "~temp.vpr").string();
        g.TempTapFile = (temp_ / "~temp.tt").string();
        g.InstallFolder = test::binDir().string() + "/";
        MainWindowHooks& m = MainWindow();
        m.caption = [this] { return caption; };
        m.setCaption = [this](const std::string& t) { caption = t; };
        m.statusText = [this] { return statusText; };
        m.setStatusText = [this](const std::string& t) {
            statusText = t;
            statusTexts.push_back(t);
        };
        m.enableSave = [this](bool on) { saveEnabled = on; };
        m.closeProgram = [this] { ++programClosed; };
        m.bringToFront = [this] { ++broughtToFront; };
        m.runNewCommand = [this] { commands.push_back("New"); };
        m.runPlayerCommand = [this] { commands.push_back("Player"); };
        m.runProjectCommand = [this] { commands.push_back("Project"); };
        m.runSaveAsCommand = [this] { commands.push_back("SaveAs"); };
        m.showLiveWindow = [this] { commands.push_back("Live"); };
        m.chooseMidiEditor = [this] { commands.push_back("MidiEditor"); };
        UseShell(&shell);
    }
    // The bridge is left idle for the next test of this process, whatever the test left running.
    ~RunTest() override {
        test::writeFile(system_ / "quit", "");
        UseShell(nullptr);
        UseBridgeLibrary("");
        if (const BridgeCalls* bridge = Bridge()) bridge->AbandonConvert();
        ResetGlobal();
        ui::runtime().batchMode = false;
    }

    // The fake engine: notes its project, then waits; a cancel command ("1") gets the engine's
    // cancel line. `body` runs first (an engine that stops at once, one that writes a line).
    void installFakeEngine(const std::string& body = "") {
        const std::string quit = test::shellQuote((system_ / "quit").string());
        const std::string cancelLine =
            "-1.000 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 440.000000 N/C";
        std::string script =
            "#!/bin/sh\n"
            "echo \"$1\" >> " +
            test::shellQuote((system_ / "started").string()) + "\n" + body +
            "\n"
            "i=0\n"
            "while [ -d " +
            test::shellQuote(system_.string()) + " ] && [ ! -e " + quit +
            " ] && [ $i -lt 3000 ]; do\n"
            "  if [ -e \"$3\" ] && [ \"$(cat \"$3\")\" = 1 ]; then\n"
            "    printf '%s' '" +
            cancelLine +
            "' > \"$2.new\" && mv \"$2.new\" \"$2\"; exit 0\n"
            "  fi\n"
            "  sleep 0.01; i=$((i+1))\n"
            "done\n";
        const auto engine = system_ / "kvxvtpd64";
        test::writeFile(engine, script);
        chmod(engine.c_str(), 0755);
    }

    std::filesystem::path statusFile() const { return runtime_ / "veltrane" / "~kvxstat.txt"; }
    std::filesystem::path commandFile() const { return runtime_ / "veltrane" / "~kvxcmnd.txt"; }

    // Writes the status line the engine would, whole (never torn).
    void writeStatus(const Line& line) const {
        test::writeFile(statusFile().string() + ".new", line.text());
        std::filesystem::rename(statusFile().string() + ".new", statusFile());
    }
    void writeStatus(const std::string& status) const {
        Line line;
        line.status = status;
        writeStatus(line);
    }

    // The projects the fake engines were started on, in order.
    std::vector<std::string> startedProjects() const {
        auto file = system_ / "started";
        return std::filesystem::exists(file) ? test::splitLines(test::readFile(file))
                                             : std::vector<std::string>{};
    }

    // A one-file project whose audio and MIDI files lie in the work folder.
    void singleFileProject(const std::string& name = "song") {
        Global& g = G();
        g.ProjectFile = (work_ / (name + ".vpr")).string();
        g.AudioFileCount = 1;
        g.AudioFiles.redim(1);
        g.MidiFiles.redim(1);
        g.AudioFiles(1) = (work_ / (name + ".wav")).string();
        g.MidiFiles(1) = (work_ / (name + ".mid")).string();
        g.AudioFileValid = true;
    }

    ui::test::Script ui;
    platform::RecordingShell shell;
    test::TempDir root_;
    std::filesystem::path runtime_ = root_ / "run";
    std::filesystem::path temp_ = root_ / "tmp";
    std::filesystem::path system_ = root_ / "system";
    std::filesystem::path work_ = root_ / "work";
    test::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.string()};
    test::ScopedEnv tempEnv_{"TMPDIR", temp_.string()};
    test::ScopedEnv systemEnv_{"VELTRANE_SYSTEM_DIR", system_.string()};

    // The main window as the hooks see it.
    std::string caption = "Veltrane Rizaduzede MP3 to MIDI Converter - song";
    std::string statusText;
    std::vector<std::string> statusTexts;
    bool saveEnabled = false;
    int programClosed = 0;
    int broughtToFront = 0;
    std::vector<std::string> commands;
};

}  // namespace velt::desk::test_run

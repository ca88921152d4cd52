// The CD driver installer on a temporary "windir" tree: the pending-restart box, No, the file
// plan of each family and word size, a backup that fails, and the window leaving its stalled
// transfer in every case; the composite version number.
#include "desk/media/cd_driver_installer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "desk/media/frm_cd.h"
#include "desk/media/windows_version.h"
#include "main_window_fixture.h"
#include "platform/outside/cd_ripper/cd_ripper.h"
#include "platform/wave_io/clock_wave_out.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

constexpr const char* kTitle = "Direct CD Transfer";
constexpr const char* kQuestion =
    "To use the Direct CD Transfer feature, Veltrane must first install a driver on your "
    "computer. Would you like to install it now?";

TEST(CompositeVersion, CombinesPlatformAndVersion) {
    struct Case {
        uint32_t platform, major, minor;
        long expected;
    } cases[] = {{2, 5, 1, 251}, {2, 6, 1, 261}, {1, 4, 10, 150}, {0, 0, 0, 0}};
    for (const Case& c : cases) {
        platform::OsVersionInfo info;
        info.platformId = c.platform;
        info.majorVersion = c.major;
        info.minorVersion = c.minor;
        EXPECT_EQ(CompositeVersion(info), c.expected);
    }
    EXPECT_EQ(GetCompositeVersion(), 0);  // no version record here
    platform::OsVersionInfo wrongSize;
    wrongSize.size = 100;
    EXPECT_FALSE(platform::GetVersionEx(wrongSize));
}

class CdDriverInstaller : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        platform::wave_out::useDevices(&output);  // tracks play on the clock-time double
        G().AudioFolder = folder("audio");
        const std::string disc = folder("disc");
        EXPECT_EQ(test::runCommand("sox -D -n -r 44100 -c 2 -b 16 " + disc +
                                   "Track01.wav synth 2 sine 330 vol 0.5")
                      .exitCode,
                  0);
        test::writeFile(disc + "STALL", "");
        drives.emplace("VELTRANE_CD_DRIVES", disc);
        windows = folder("windows");
        windows.pop_back();
    }

    // The window in the middle of a transfer that does not progress.
    frmCD& stalledWindow() {
        frmCD& cd = ui::forms::get<frmCD>();
        ui.advance(500);
        target = G().AudioFolder + "Track01.wav";
        ui.expectFileDialog({}).choose(target);
        cd.cmdRip_Click();
        EXPECT_TRUE(cd.TransferRunning);
        // Written under a working name beside the target until it is complete.
        EXPECT_FALSE(fs::exists(target));
        EXPECT_EQ(test::filesOf(fs::path(target).parent_path(), "Track01.wav.~").size(), 1u);
        return cd;
    }
    void expectIdle(frmCD& cd) {
        EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
        EXPECT_TRUE(cd.mmCD.Enabled());
        EXPECT_TRUE(cd.lstTracks.Enabled());
        EXPECT_TRUE(cd.cmdOK.Enabled());
        EXPECT_FALSE(cd.ProgressBar.Visible());
        EXPECT_FALSE(cd.TransferRunning);
        EXPECT_FALSE(cd.Ripper().Ripping());
        EXPECT_FALSE(fs::exists(target));
    }
    void file(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        test::writeFile(path, text);
    }
    std::string read(const std::string& path) {
        const auto bytes = test::readBytes(path);
        return {bytes.begin(), bytes.end()};
    }
    // The NT tree: the four installed files and the source folder with its files.
    void ntTree() {
        const std::string b = windows + "/";
        file(b + "system/winaspi.dll", "old winaspi");
        file(b + "system/wowpost.exe", "old wowpost");
        file(b + "system32/wnaspi32.dll", "old wnaspi32");
        file(b + "system32/drivers/aspi32.sys", "old aspi32");
        const std::string s = b + "system32/aspi/";
        for (const char* name : {"winaspi.dll", "wowpost.exe", "nt/wnaspi32.dll", "aspi32.sys",
                                 "x64/wnaspi32.dll", "x64/aspi32.sys", "winnt.reg"})
            file(s + name, std::string("new ") + name);
    }

    std::optional<test::ScopedEnv> drives;
    test::ScopedEnv windir{"windir", std::nullopt};
    test::ScopedEnv os{"OS", std::nullopt};
    void TearDown() override {
        MainWindowTest::TearDown();
        platform::wave_out::useDevices(nullptr);
    }

    std::string windows, target;
    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
};

TEST_F(CdDriverInstaller, WithoutDriverFoldersOneBoxThenIdle) {
    frmCD& cd = stalledWindow();
    ui.expectBox(Box("The CD drive did not start the transfer. Check that the disc can be read "
                     "and that you are allowed to read the CD device, then try again.",
                     kTitle, 48))
        .answer(ui::OK);
    InstallCDDriver(cd);
    expectIdle(cd);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(CdDriverInstaller, PendingRestartAndNoTouchNothing) {
    test::ScopedEnv setWindir("windir", windows);
    test::ScopedEnv setOs("OS", "Windows_NT");
    ntTree();
    frmCD& cd = stalledWindow();

    ui.expectBox(Box(kQuestion, kTitle, 32)).answer(ui::No);
    InstallCDDriver(cd);
    expectIdle(cd);
    EXPECT_EQ(read(windows + "/system/winaspi.dll"), "old winaspi");
    EXPECT_FALSE(fs::exists(windows + "/system32/aspi_backup1"));

    fs::create_directories(windows + "/system32/aspi_backup1");
    ui.advance(500);
    ui.expectFileDialog({}).choose(target);
    cd.cmdRip_Click();
    ui.expectBox(Box("You need to reboot your computer to finish installing the CD driver.", kTitle,
                     48, 0, true))
        .answer(ui::OK);
    InstallCDDriver(cd);
    expectIdle(cd);
    EXPECT_EQ(read(windows + "/system/winaspi.dll"), "old winaspi");
    EXPECT_TRUE(fs::is_empty(windows + "/system32/aspi_backup1"));
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(CdDriverInstaller, YesBacksUpReplacesAndRegisters) {
    test::ScopedEnv setWindir("windir", windows);
    test::ScopedEnv setOs("OS", "Windows_NT");
    ntTree();
    frmCD& cd = stalledWindow();
    ui.expectBox(Box(kQuestion, kTitle, 32)).answer(ui::Yes);
    ui.expectBox(Box("The CD driver has been installed.", kTitle, 64)).answer(ui::OK);
    InstallCDDriver(cd);
    expectIdle(cd);

    const std::string b = windows + "/", k = b + "system32/aspi_backup1/";
    struct Case {
        std::string path, text;
    } cases[] = {
        {k + "winaspi.dll", "old winaspi"},
        {k + "wowpost.exe", "old wowpost"},
        {k + "wnaspi32.dll", "old wnaspi32"},
        {k + "aspi32.sys", "old aspi32"},
        {b + "system/winaspi.dll", "new winaspi.dll"},
        {b + "system/wowpost.exe", "new wowpost.exe"},
        {b + "system32/wnaspi32.dll", "new nt/wnaspi32.dll"},  // 32-bit: the nt files
        {b + "system32/drivers/aspi32.sys", "new aspi32.sys"},
    };
    for (const Case& c : cases) EXPECT_EQ(read(c.path), c.text) << c.path;
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].arguments,
              (std::vector<std::string>{b + "regedit.exe", "/s", b + "system32/aspi/winnt.reg"}));
    EXPECT_EQ(shell.calls[0].style, platform::WindowStyle::Hidden);
}

TEST_F(CdDriverInstaller, FilePlansOfEachFamilyAndWordSize) {
    // 64-bit NT: the x64 files.
    ntTree();
    const DriverFolders nt = DriverFoldersFor(windows, true);
    EXPECT_EQ(nt.backup, windows + "/system32/aspi_backup1/");
    EXPECT_TRUE(InstallDriverFiles(nt, true));
    EXPECT_EQ(read(windows + "/system32/wnaspi32.dll"), "new x64/wnaspi32.dll");
    EXPECT_EQ(read(windows + "/system32/drivers/aspi32.sys"), "new x64/aspi32.sys");

    // The other family lives below "system", with its own registry file.
    const std::string b = windows + "/system/";
    for (const char* name : {"winaspi.dll", "wnaspi32.dll", "aspienum.vxd", "iosubsys/apix.vxd"})
        file(b + name, std::string("old ") + name);
    for (const char* name :
         {"winaspi.dll", "wnaspi32.dll", "aspienum.vxd", "apix.vxd", "win9x.reg"})
        file(b + "aspi/" + name, std::string("new ") + name);
    const DriverFolders nine = DriverFoldersFor(windows, false);
    EXPECT_EQ(nine.backup, b + "aspi_backup1/");
    EXPECT_TRUE(InstallDriverFiles(nine, false));
    EXPECT_EQ(read(b + "aspi_backup1/apix.vxd"), "old iosubsys/apix.vxd");
    EXPECT_EQ(read(b + "iosubsys/apix.vxd"), "new apix.vxd");
    EXPECT_EQ(shell.calls.back().arguments,
              (std::vector<std::string>{b + "regedit.exe", "/s", b + "aspi/win9x.reg"}));
}

TEST_F(CdDriverInstaller, AFailedBackupKeepsTheOriginalAndSaysSo) {
    test::ScopedEnv setWindir("windir", windows);
    test::ScopedEnv setOs("OS", "Windows_NT");
    ntTree();
    // The backup of winaspi.dll cannot be written: a folder holds its name. The source of
    // wowpost.exe is missing.
    fs::remove(windows + "/system32/aspi/wowpost.exe");
    const DriverFolders nt = DriverFoldersFor(windows, true);
    fs::create_directories(nt.backup + "winaspi.dll");
    EXPECT_FALSE(InstallDriverFiles(nt, false));
    EXPECT_EQ(read(windows + "/system/winaspi.dll"), "old winaspi");  // kept, not replaced
    EXPECT_EQ(read(nt.backup + "wowpost.exe"), "old wowpost");
    EXPECT_FALSE(fs::exists(windows + "/system/wowpost.exe"));
    EXPECT_EQ(read(windows + "/system32/wnaspi32.dll"), "new nt/wnaspi32.dll");

    // Through the window, a failed step gives the failure text, not the success message.
    fs::remove_all(nt.backup);
    shell.result = false;  // regedit cannot be started
    frmCD& cd = stalledWindow();
    ui.expectBox(Box(kQuestion, kTitle, 32)).answer(ui::Yes);
    ui.expectBox(Box("The CD driver could not be installed.", kTitle, 48)).answer(ui::OK);
    InstallCDDriver(cd);
    expectIdle(cd);
}

}  // namespace
}  // namespace velt::desk

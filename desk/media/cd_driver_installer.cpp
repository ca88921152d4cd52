#include "desk/media/cd_driver_installer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "desk/media/frm_cd.h"
#include "desk/media/windows_version.h"
#include "platform/shell/shell.h"

namespace velt::desk {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTitle = "Direct CD Transfer";
constexpr const char* kNoDriverText =
    "The CD drive did not start the transfer. Check that the disc can be read and that you are "
    "allowed to read the CD device, then try again.";
constexpr const char* kRebootText =
    "You need to reboot your computer to finish installing the CD driver.  If you have already "
    "rebooted, then your CD drive is not compatible with Veltrane's direct CD transfer feature.  "
    "In this case, we recommend you use Windows Media Player to convert your CD track to an MP3 "
    "file first, then using Veltrane to convert the MP3 file to MIDI.";
constexpr const char* kQuestionText =
    "To use the Direct CD Transfer feature, Veltrane must first install a driver on your "
    "computer. Would you like to install it now?";

using FilePairs = std::vector<std::pair<std::string, std::string>>;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Copies `from` over `to`, making the destination's folder; false on any failure.
bool copyFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return false;
    fs::create_directories(to.parent_path(), ec);
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

}  // namespace

DriverFolders DriverFoldersFor(const std::string& windir, bool ntFamily) {
    DriverFolders f;
    f.nt = ntFamily;
    f.base = windir + (ntFamily ? "/" : "/system/");
    f.backup = f.base + (ntFamily ? "system32/aspi_backup1/" : "aspi_backup1/");
    f.source = f.base + (ntFamily ? "system32/aspi/" : "aspi/");
    f.registryFile = ntFamily ? "winnt.reg" : "win9x.reg";
    return f;
}

bool InstallDriverFiles(const DriverFolders& f, bool sixtyFourBit) {
    FilePairs backups, replacements;
    if (f.nt) {
        backups = {{"system/winaspi.dll", "winaspi.dll"},
                   {"system/wowpost.exe", "wowpost.exe"},
                   {"system32/wnaspi32.dll", "wnaspi32.dll"},
                   {"system32/drivers/aspi32.sys", "aspi32.sys"}};
        replacements = {{"winaspi.dll", "system/winaspi.dll"},
                        {"wowpost.exe", "system/wowpost.exe"}};
        if (sixtyFourBit) {
            replacements.push_back({"x64/wnaspi32.dll", "system32/wnaspi32.dll"});
            replacements.push_back({"x64/aspi32.sys", "system32/drivers/aspi32.sys"});
        } else {
            replacements.push_back({"nt/wnaspi32.dll", "system32/wnaspi32.dll"});
            replacements.push_back({"aspi32.sys", "system32/drivers/aspi32.sys"});
        }
    } else {
        backups = {{"winaspi.dll", "winaspi.dll"},
                   {"wnaspi32.dll", "wnaspi32.dll"},
                   {"aspienum.vxd", "aspienum.vxd"},
                   {"iosubsys/apix.vxd", "apix.vxd"}};
        replacements = {{"winaspi.dll", "winaspi.dll"},
                        {"wnaspi32.dll", "wnaspi32.dll"},
                        {"aspienum.vxd", "aspienum.vxd"},
                        {"apix.vxd", "iosubsys/apix.vxd"}};
    }

    bool ok = true;
    std::error_code ec;
    fs::create_directories(f.backup, ec);
    if (!fs::is_directory(f.backup, ec)) ok = false;
    // A file not present needs no backup; one that could not be backed up stays where it is.
    // A file whose backup failed is not replaced either, so it can never be lost.
    std::vector<fs::path> backedUp, kept;
    for (const auto& [from, to] : backups) {
        const fs::path original = f.base + from;
        if (!fs::exists(original, ec)) continue;
        if (copyFile(original, f.backup + to)) {
            backedUp.push_back(original);
        } else {
            kept.push_back(original);
            ok = false;
        }
    }
    for (const fs::path& original : backedUp) {
        if (!fs::remove(original, ec)) ok = false;
    }
    for (const auto& [from, to] : replacements) {
        const fs::path target = f.base + to;
        if (std::find(kept.begin(), kept.end(), target) != kept.end()) continue;
        if (!copyFile(f.source + from, target)) ok = false;
    }
    if (!DeskShell().startProgram({f.base + "regedit.exe", "/s", f.source + f.registryFile},
                                  platform::WindowStyle::Hidden))
        ok = false;
    return ok;
}

void InstallCDDriver(frmCD& window) {
    const bool sixtyFourBit = window.WindowsVersion >= kWindowsXp && platform::IsWow64Process();
    const std::string windir = environment("windir");
    if (windir.empty()) {
        ShowMessage(kNoDriverText, ui::Exclamation, kTitle);
    } else {
        const DriverFolders folders = DriverFoldersFor(windir, environment("OS") == "Windows_NT");
        std::error_code ec;
        if (fs::is_directory(folders.backup, ec)) {
            ShowMessage(kRebootText, ui::Exclamation, kTitle);
        } else if (ShowMessage(kQuestionText, ui::YesNo + ui::Question, kTitle) == ui::Yes) {
            if (InstallDriverFiles(folders, sixtyFourBit))
                ShowMessage("The CD driver has been installed.", ui::Information, kTitle);
            else
                ShowMessage("The CD driver could not be installed.", ui::Exclamation, kTitle);
        }
    }
    // The stalled transfer is given up: nothing keeps writing a file nobody waits for.
    window.DiscardTransfer();
    window.LeaveTransferState();
}

}  // namespace velt::desk

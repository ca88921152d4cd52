// The CD driver installer, run by the CD transfer window when a transfer shows no progress for 8
// status ticks. Where the system keeps its driver folders ("windir" in the environment; "OS"
// "Windows_NT" selects that family's layout) it tells of a pending restart when the backup
// folder exists, else offers to back up the driver files it replaces, copy the new ones from
// the "aspi" folder and import the registry file. Without "windir" (always so on Linux) there is
// nothing to install: one box says that the drive did not start the transfer. In every case the
// window leaves the transfer state, and the stalled transfer is stopped and its file removed.
#pragma once

#include <string>

namespace velt::desk {

class frmCD;

// The folders of one family's layout, each ending in "/".
struct DriverFolders {
    std::string base, backup, source, registryFile;
    bool nt = false;
};
DriverFolders DriverFoldersFor(const std::string& windir, bool ntFamily);

// Backs up, replaces and registers the driver files; false when any step failed. Only files
// that were copied into the backup folder are deleted from their place, and a file whose backup
// failed is left as it is.
bool InstallDriverFiles(const DriverFolders& folders, bool sixtyFourBit);

void InstallCDDriver(frmCD& window);

}  // namespace velt::desk

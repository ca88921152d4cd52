#include "desk/core/shared/drum_kit_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "desk/core/shared/drum_list.h"
#include "desk/core/shared/ensemble_file.h"
#include "desk/core/shared/ini_scan.h"
#include "platform/profile/profile.h"

namespace velt::desk {

namespace profile = velt::platform::profile;

DrumKitFile ReadDrumKitFile(const std::string& path) {
    DrumKitFile kit;
    kit.drumList = ReadIniString("midi", "DrumKit", kDefaultDrumList, path);
    int poly = profile::readInt("pitch", "Poly", 0, path);
    if (poly == 0) poly = profile::readInt("pitch", "Poly0", 4, path);
    kit.poly = std::clamp(poly, kPolyMin, kPolyMax);
    return kit;
}

bool WriteDrumKitFile(const std::string& path, const std::string& drumList, int poly) {
    if (drumList.find_first_of("\r\n") != std::string::npos) return false;
    // Other keys of an existing file stay; the file is replaced as a whole.
    profile::IniText ini;
    std::error_code ec;
    if (!ini.load(path) && std::filesystem::exists(path, ec)) return false;
    ini.setValue("midi", "DrumKit", drumList);
    ini.setValue("pitch", "Poly", std::to_string(poly));
    return ini.save(path);
}

}  // namespace velt::desk

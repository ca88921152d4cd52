#include "desk/settings/data_files.h"

#include <filesystem>

#include "desk/core/global.h"

namespace velt::desk {

std::string FilterListFile() {
    return G().InstallFolder + "filter.txt";
}

std::string PercussionListFile() {
    return G().InstallFolder + "percussion.txt";
}

std::string ExampleEnsembleFile() {
    return G().InstallFolder + "Ensembles/Example - Piano and Organ.ens";
}

std::string BasicDrumKitFile() {
    return G().InstallFolder + "Drum Kits/Basic Kit.vdk";
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace velt::desk

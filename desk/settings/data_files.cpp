#include "desk/settings/data_files.h"

#include <filesystem>
#include <fstream>

#include "desk/core/global.h"

namespace velt::desk {

std::string FilterListFile() {
    return G().InstallFolder + "filter.txt";
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

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    if (!FileExists(path)) return lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string EntryOf(const std::string& line) {
    return line.substr(0, line.find(','));
}

}  // namespace velt::desk

// Where the data files beside the program lie that the settings dialog reads: the instrument list
// "filter.txt", the example ensemble and the basic drum kit (read with desk/core/shared/data_lists
// and the instrument files there).
#pragma once

#include <string>

namespace velt::desk {

std::string FilterListFile();       // InstallFolder + "filter.txt"
std::string PercussionListFile();   // InstallFolder + "percussion.txt"
std::string ExampleEnsembleFile();  // InstallFolder + "Ensembles/Example - Piano and Organ.ens"
std::string BasicDrumKitFile();     // InstallFolder + "Drum Kits/Basic Kit.vdk"

bool FileExists(const std::string& path);

}  // namespace velt::desk

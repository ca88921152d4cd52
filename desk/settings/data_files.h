// The data files beside the program that the settings dialog reads: the instrument list
// "filter.txt" (one instrument a line: "N - Name,low,high,polyphony"), the example ensemble and
// the basic drum kit. A missing file reads as no lines.
#pragma once

#include <string>
#include <vector>

namespace velt::desk {

std::string FilterListFile();      // InstallFolder + "filter.txt"
std::string ExampleEnsembleFile();  // InstallFolder + "Ensembles/Example - Piano and Organ.ens"
std::string BasicDrumKitFile();     // InstallFolder + "Drum Kits/Basic Kit.vdk"

bool FileExists(const std::string& path);

// The lines of a text file without their line ends ("" lines kept); none when it can't be read.
std::vector<std::string> ReadLines(const std::string& path);

// The text before the first "," (the list entry of an instrument line).
std::string EntryOf(const std::string& line);

}  // namespace velt::desk

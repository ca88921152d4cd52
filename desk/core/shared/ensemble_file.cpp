#include "desk/core/shared/ensemble_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "desk/core/shared/drum_list.h"
#include "desk/core/shared/ini_scan.h"
#include "platform/profile/profile.h"

namespace velt::desk {

namespace profile = velt::platform::profile;

namespace {

const std::string kDefaultKitName = "Basic Kit";

// One line of the file per row key; the integer reader follows the classic profile rules.
int readRowKey(const profile::IniText& ini, const char* section, const std::string& key,
               int defaultValue) {
    const auto text = ini.value(section, key);
    return text ? profile::parseLeadingInt(*text) : defaultValue;
}

}  // namespace

EnsembleFile ReadEnsembleFile(const std::string& path) {
    profile::IniText ini;
    ini.load(path);
    EnsembleFile ensemble;
    for (int i = 0; i < kEnsembleRows; ++i) {
        const std::string n = std::to_string(i);
        EnsembleRow& row = ensemble.rows[i];
        row.active = readRowKey(ini, "other", "Active" + n, 0) != 0 ? 1 : 0;
        row.channel = std::clamp(readRowKey(ini, "midi", "Channel" + n, i + 1), 0, 16);
        row.track = readRowKey(ini, "midi", "Track" + n, 0) != 0 ? 1 : 0;
        row.poly = std::clamp(readRowKey(ini, "pitch", "Poly" + n, 10), kPolyMin, kPolyMax);
        row.patch = std::clamp(readRowKey(ini, "midi", "Patch" + n, 0), 0, 127);
        row.keyMin = std::clamp(readRowKey(ini, "pitch", "KeyMin" + n, 21), 0, 127);
        row.keyMax = std::clamp(readRowKey(ini, "pitch", "KeyMax" + n, 108), 0, 127);
    }
    ensemble.drumKit = ReadIniString("midi", "DrumKit", kDefaultDrumList, path);
    ensemble.kitName = ReadIniString("midi", "KitName", kDefaultKitName, path);
    return ensemble;
}

bool IsOlderEnsembleLayout(const EnsembleFile& ensemble) {
    return ensemble.rows[kPercussionRow].channel != kPercussionChannel;
}

void RemapOlderEnsembleLayout(EnsembleFile& ensemble) {
    for (int i = 9; i <= 14; ++i) ensemble.rows[i].channel = i + 2;
    ensemble.rows[kPercussionRow].channel = kPercussionChannel;
    ensemble.rows[kPercussionRow].poly = 3;
}

bool WriteEnsembleFile(const std::string& path, const EnsembleFile& ensemble) {
    if (ensemble.kitName.find_first_of("\r\n") != std::string::npos ||
        ensemble.drumKit.find_first_of("\r\n") != std::string::npos) {
        return false;
    }
    // The keys go into the file's own text (other keys and sections stay) and the whole file is
    // replaced at once, so a failed save leaves the old file as it was.
    profile::IniText ini;
    std::error_code ec;
    if (!ini.load(path) && std::filesystem::exists(path, ec)) return false;
    for (int i = 0; i < kEnsembleRows; ++i) {
        const std::string n = std::to_string(i);
        const EnsembleRow& row = ensemble.rows[i];
        ini.setValue("midi", "Channel" + n, std::to_string(row.channel));
        ini.setValue("pitch", "Poly" + n, std::to_string(row.poly));
        ini.setValue("midi", "Track" + n, std::to_string(row.track));
        ini.setValue("midi", "Patch" + n, std::to_string(row.patch));
        ini.setValue("other", "Active" + n, std::to_string(row.active));
        ini.setValue("pitch", "KeyMin" + n, std::to_string(row.keyMin));
        ini.setValue("pitch", "KeyMax" + n, std::to_string(row.keyMax));
    }
    ini.setValue("midi", "DrumKit", ensemble.drumKit);
    ini.setValue("midi", "KitName", ensemble.kitName);
    return ini.save(path);
}

}  // namespace velt::desk

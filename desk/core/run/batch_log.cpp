#include "desk/core/run/batch_log.h"

#include <cstdio>
#include <memory>

namespace velt::desk {

std::string LogTimeText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return "";
    char text[32];
    size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length);
}

bool AppendLogLine(const std::string& logFile, const std::string& project,
                   const std::string& text) {
    if (logFile.empty()) return false;
    std::string line = LogTimeText(std::time(nullptr)) + "  " + project + "  " + text + "\n";
    // One write of the whole line in append mode, so lines of runs that overlap never interleave.
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(logFile.c_str(), "a"), &std::fclose);
    if (!file) return false;
    bool written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace velt::desk

// The log of command-line conversions: one line per run, appended to LogFile as
// "<date and time>  <project>  <outcome>". The file is created when missing; when it can't be
// written the caller is told (the command-line run then fails and says so on standard error).
#pragma once

#include <ctime>
#include <string>

namespace velt::desk {

// The date and time of a log line, local time, "2026-12-09 23:05:17".
std::string LogTimeText(std::time_t when);

// Appends "<now>  <project>  <text>" and a line end to `logFile`. False when it couldn't.
bool AppendLogLine(const std::string& logFile, const std::string& project, const std::string& text);

}  // namespace velt::desk

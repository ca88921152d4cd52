// Output files written under a working name beside their final one and renamed into place only
// when complete. A worker that was given up (a read blocked in the kernel) may end long after a
// newer one started on the same output: with a name of its own it never writes over, places or
// removes the newer one's file.
#pragma once

#include <string>

namespace velt::platform {

// The output's name with the process and the owner (the job's address, unique while the job
// lives) appended.
std::string workingFileName(const std::string& output, const void* owner);

// Whether the output may be written by replacing what it names: nothing yet, or a regular file
// (a device, a FIFO, a folder or a link named as the output is never replaced).
bool replaceableOutput(const std::string& output);

}  // namespace velt::platform

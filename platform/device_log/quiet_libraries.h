// Outside sound libraries (ALSA, the software synthesizer) print their own complaints to standard
// error, which on a machine without sound hardware means several lines for every device probe.
// The device pieces call this before touching them: it installs handlers that drop those messages,
// since every failure that matters already comes back to the caller as an error number.
#pragma once

namespace velt::platform {

// Installs the silent handlers once per process; later calls do nothing.
void quietOutsideSoundLibraries();

}  // namespace velt::platform

// Multimedia command strings: devices opened under an alias and driven by one-line commands,
// answering 0 or an error number of mci_error.h (never an exception). The alias table is one per
// process, like the operating system's.
//
// Commands (keywords in any case; <alias> is a name given at open; ms are milliseconds):
//   open <file> [type waveaudio|sequencer] [alias <alias>]   type from the extension when left out
//   open new type waveaudio alias <alias>                     a new take to record
//   set <alias> [bitspersample n] [channels n] [samplespersec n] [alignment n] [bytespersec n]
//               [format tag pcm|1] [time format milliseconds|ms]
//   record <alias>
//   play <alias> [from ms] [to ms]
//   pause <alias> | resume <alias> | stop <alias> | close <alias> | close all
//   seek <alias> to start|end|ms
//   save <alias> <file>            the rest of the string is the path (quoted or not); a take
//                                  that cannot be written answers kMciWriteFailed with the
//                                  system's reason ("No space left on device") in `returned`
//   delete <alias>                 empties a take
//   status <alias> mode|position|length|ready   the answer goes into `returned`
// A file path may be written in double quotes to hold blanks; the open string's unquoted path
// runs up to the first keyword. A path holding a double quote is malformed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/mci/device.h"
#include "platform/mci/mci_error.h"

namespace velt::platform::mci {

int32_t mciSendString(const std::string& command, std::string& returned);
int32_t mciSendString(const std::string& command);

// Closes every device opened by command strings (a test ends, the program ends).
void closeAll();

}  // namespace velt::platform::mci

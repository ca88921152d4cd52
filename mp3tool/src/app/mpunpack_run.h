// The mpunpack program: decodes the input named by the first argument into the WAV file named by
// the second, and reports the outcome as one line on standard output (standard error when the
// PCM itself goes to standard output) and in the optional status file named by the third.
//
// Outcome lines and exit codes:
//   "DONE"                                      0  the whole input was decoded
//   "ERROR: Cannot initialize decoder (%s)"     1  (standard output only, no line end)
//   "USAGE: ..."                                1  fewer than two arguments
//   "ERROR: Cannot write to wav file (%s)"      1  the WAV file cannot be created or written
//   "ERROR: Cannot open mp3 file (%s)"          1  the input cannot be opened or no codec takes it
//   "ERROR: Cannot decode mp3 file (%s)"        1  decoding stopped before the end of the input
//                                                  (also at a change of sample rate), or the
//                                                  input gave no audio at all
// where %s is the error text of the code.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "framework/control_block.h"

namespace velt::mp3 {

// Creates a control block with its modules registered; 0 or a negative code.
using ControlBlockBuilder = std::function<int(std::unique_ptr<ControlBlock>&)>;

// args: the arguments after the program name. Returns the exit code. The builder is the tool's own
// (buildControlBlock) unless a test hands in one with modules of its own.
int runMpunpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const ControlBlockBuilder& build = {});

}  // namespace velt::mp3

// The output module "Output To File": writes the PCM to a file, or to standard output when the
// file name is "-", in the form its name's prefix chooses: "wav:" a 16-bit PCM WAV file whose
// header is rewritten with the final sizes at close, where this output began (standard output may
// be a file that held bytes before it or one opened to append; through a pipe the streaming
// header with sizes 0 stays); "raw:", "aiff:", "sun:" or no prefix headerless PCM. Any failed or
// short write, a size the WAV header cannot hold, or a failed header rewrite or close makes close
// return kWriteFailed; a header that cannot be rewritten is also reported to the error callback
// ("header not written"). After a failed write the final header counts the whole sample frames
// that reached the file.
#pragma once

#include "framework/output_module.h"

namespace velt::mp3 {

OutputModule fileOutputModule();

}  // namespace velt::mp3

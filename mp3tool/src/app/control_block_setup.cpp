#include "app/control_block_setup.h"

#include "modules/file_input.h"
#include "modules/file_output.h"
#include "modules/wave_codec.h"
#include "mpeg/mpeg_codec.h"

namespace velt::mp3 {

int buildControlBlock(std::unique_ptr<ControlBlock>& control) {
    const int created = ControlBlock::create(control);
    if (created < 0) return created;
    // Codecs are asked newest first: the WAVE codec (which takes only names ending in "wav") is
    // registered after the MPEG codec (which takes every stream) so that it is asked first.
    // Registration results are not checked: a module that fails to register is simply absent.
    control->registerCodecModule(mpegCodecModule());
    control->registerCodecModule(waveCodecModule());
    control->registerInputModule(fileInputModule());
    control->registerOutputModule(fileOutputModule());
    return created;
}

}  // namespace velt::mp3

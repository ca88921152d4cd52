// Builds the control block with every module the tool has.
#pragma once

#include <memory>

#include "framework/control_block.h"

namespace velt::mp3 {

// Creates the control block and registers the modules; 0 or the creation's code.
int buildControlBlock(std::unique_ptr<ControlBlock>& control);

}  // namespace velt::mp3

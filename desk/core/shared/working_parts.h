// The parts as the project stores them (Global's Part* fields) and their working copy, the rows
// the instrument editors change until the settings dialog commits them (the Ens* fields).
#pragma once

#include "desk/core/global.h"
#include "desk/core/shared/ensemble_file.h"

namespace velt::desk {

// Puts one row into the working copy of part `part` (0..PartCount-1).
void SetWorkingPart(Global& g, int part, const EnsembleRow& row);

// The working copy made again from the stored parts (a dialog that opens, or a Cancel).
void TakeStoredParts(Global& g);

// The working copy stored as the project's parts (Apply, OK).
void StoreWorkingParts(Global& g);

}  // namespace velt::desk

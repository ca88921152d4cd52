// Ends of a run that come from outside the command file: SIGTERM (the bridge gives a run up), or
// the loss of the process that started the engine (the desktop program was killed, so no cancel
// would ever come and a live run would play on for ever). Both end the run as a cancel does: the
// MIDI output is reset and closed, the MIDI file completed.
#pragma once

namespace velt::engine {

// The process entry calls this once: remembers the starter (the parent process) and catches
// SIGTERM. Runs driven in-process by tests never call it and are never stopped this way.
void WatchForStopRequests();

// True once a SIGTERM came or the starter has gone (the engine then has another parent).
bool StopRequested();

}  // namespace velt::engine

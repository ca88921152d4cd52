// Ends of a run that come from outside the command file: SIGTERM, SIGINT or SIGHUP (the bridge
// gives a run up, a terminal closes), or the loss of the process that started the engine (the
// desktop program was killed, so no cancel would ever come and a live run would play on for
// ever). Each ends the run as a cancel does (status -1.000, the MIDI output reset and closed),
// except that nobody asked for the partial result: the MIDI file is dropped and an earlier file
// of its name stays as it was.
#pragma once

namespace velt::engine {

// The process entry calls this once: remembers the starter (the parent process) and catches
// SIGTERM, SIGINT and SIGHUP. Runs driven in-process by tests never call it and are never stopped
// this way.
void WatchForStopRequests();

// True once one of those signals came or the starter has gone (the engine then has another parent).
bool StopRequested();

}  // namespace velt::engine

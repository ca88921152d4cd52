// Ending veltdesk by SIGTERM, SIGHUP or SIGINT (a logout, a kill, Ctrl+C): the helpers it runs
// (the MP3 decoder, the engine) are ended and the working files removed before it goes. The
// handler itself only writes the signal's number to a pipe, all a handler may safely do; a
// notifier on the pipe's other end does the ending on the event loop's thread, then the program
// ends by the signal as it would have without the handler. A main thread that does not get back
// to its event loop within a few seconds is ended by SIGALRM instead; its helpers end with it
// all the same (they are bound to the program), only their files are then left to the next start.
#pragma once

#include <memory>

class QSocketNotifier;

namespace velt::desk {

class EndSignalWatch {
  public:
    // Installs the handlers; needs the Qt application object.
    EndSignalWatch();
    ~EndSignalWatch();  // puts the signals back to their default actions
    EndSignalWatch(const EndSignalWatch&) = delete;
    EndSignalWatch& operator=(const EndSignalWatch&) = delete;

  private:
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Ends the running helper (the MP3 decoder) and the running conversion, and removes their
// working files and the working project and audio.
void EndHelpers();

// Removes the working files that runs of the program before this one left in TempFolder when
// they were killed: the decoder files named with their process id. Call with the instance lock
// held, when no other run can be using them.
void RemoveLeftoverWorkingFiles();

}  // namespace velt::desk

// frmMP3, the MP3 decoding window. It starts the decoder program mpunpack from the install folder
// on SourceAudioFile, with a working WAV file beside WorkWaveFile and the status file
// ~stat-<process id>.txt in the temp folder (the decoder ends with the program), and
// reads the status file's line every 500 ms: "DONE" sets WaveReady and closes the window, an
// "ERROR" line is shown in a "Decode Error" box. The window never leaves a decoder running: Cancel
// and every other way of closing end it (terminate and reap), and every decode that did not
// finish removes its partial WAV file, so the next decode or inspection never reads a file that
// is still being written.
#pragma once

#include <sys/types.h>

#include <string>

#include "desk/ui/ui.h"

namespace velt::desk {

class frmMP3 : public ui::Form {
  public:
    frmMP3();

    ui::Label lblStatus{this, "lblStatus"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};
    ui::Timer tmrStatus{this, "tmrStatus"};

    void tmrStatus_Timer();
    void cmdCancel_Click();
    // The decoder gave no line: still running, or ended (then its line is read once more).
    void CheckDecoder();

    // The status file, the file the decoder writes (renamed to WorkWaveFile once it is done),
    // both named for this run of the program, and the decoder's process id (0 once it has ended
    // or never started).
    std::string StatusFile;
    std::string DecodeFile;
    pid_t TaskId = 0;

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    // Acts on the status line; false when the line holds no outcome yet.
    bool handleLine(const std::string& line);
    // What the decoder wrote on its standard output (its outcome line, also when the status
    // file could not be written, as in a full folder); read once the decoder has ended.
    std::string decoderSaid();

    int decoderOutput_ = -1;  // the reading end of the pipe on the decoder's standard output
};

}  // namespace velt::desk

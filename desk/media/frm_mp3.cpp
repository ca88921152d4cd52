#include "desk/media/frm_mp3.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/decode_files.h"
#include "desk/core/shared/message.h"
#include "platform/process/process.h"

namespace velt::desk {

namespace {

constexpr int kTickMs = 500;

}  // namespace

frmMP3::frmMP3() : Form("frmMP3") {
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    tmrStatus.Tick = [this] { tmrStatus_Timer(); };
}

void frmMP3::design() {
    setCaption("MP3 Decoder");
    Move(0, 0, 4560, 1500);
    lblStatus.Move(240, 240, 4080, 255);
    lblStatus.setCaption("Analyzing MP3 file... Please Wait");
    cmdCancel.Move(1680, 720, 1200, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    tmrStatus.setInterval(kTickMs);
    tmrStatus.setEnabled(false);
}

void frmMP3::Form_Load() {
    Global& g = G();
    g.WaveReady = false;
    // Names of this run of the program: a decoder left by an earlier run that was killed can't
    // write into them, and this decoder writes the WAV file into its place only once it is done.
    const std::string run = std::to_string(getpid());
    StatusFile = g.TempFolder + "/~stat-" + run + ".txt";
    DecodeFile = g.WorkWaveFile + ".~" + run;
    RemoveFileQuietly(StatusFile);  // the next line read must be this decode's own
    RemoveFileQuietly(DecodeFile);
    // Three argv elements, passed as they are: paths with blanks need no quoting. The decoder
    // ends with the program, however the program ends.
    const std::string program = g.InstallFolder + "mpunpack";
    std::optional<pid_t> task =
        platform::startBoundChild(program, {program, g.SourceAudioFile, DecodeFile, StatusFile},
                                  SIGKILL, nullptr, &decoderOutput_);
    if (!task) {
        // Missing or not runnable: either way there is no decoder to wait for.
        ShowMessage("Unable to run decoder.", ui::Critical, "Converter",
                    help_topic::DecoderMissing);
        unload();
        return;
    }
    TaskId = *task;
    g.HelperTask = TaskId;
    g.HelperFiles = {StatusFile, DecodeFile};
    tmrStatus.setEnabled(true);
}

void frmMP3::tmrStatus_Timer() {
    // No line, or a line without an outcome: while the decoder runs, the next tick reads again;
    // a decoder that has ended will write nothing more.
    std::optional<std::string> line = ReadFirstLine(StatusFile);
    if (!line || !handleLine(*line)) CheckDecoder();
}

bool frmMP3::handleLine(const std::string& line) {
    if (ContainsNoCase(line, "DONE")) {
        std::error_code ec;
        std::filesystem::rename(DecodeFile, G().WorkWaveFile, ec);
        if (ec) {
            tmrStatus.setEnabled(false);
            // "DONE" without its file: no decode to hand over.
            ShowMessage("Unable to run decoder: Decoder failure.", ui::Critical, "Converter",
                        help_topic::DecoderMissing);
        } else {
            G().WaveReady = true;
        }
        unload();
        return true;
    }
    size_t error = line.find("ERROR");
    if (error != std::string::npos) {
        // The line from six characters before "ERROR" on: the whole line as the decoder writes it.
        tmrStatus.setEnabled(false);
        ShowMessage(line.substr(error >= 6 ? error - 6 : 0), ui::Critical, "Decode Error",
                    help_topic::DecodeError);
        unload();
        return true;
    }
    return false;
}

void frmMP3::CheckDecoder() {
    if (TaskId != 0 && platform::isAlive(TaskId)) return;
    TaskId = 0;
    // The decoder may have written its line and ended between the read and the process test:
    // read once more before calling it a failure.
    std::optional<std::string> line = ReadFirstLine(StatusFile);
    if (line && handleLine(*line)) return;
    // No status line: a folder that is full or unwritable takes no line either. The decoder
    // said why on its output; its line names the system's reason ("No space left on device").
    if (handleLine(decoderSaid())) return;
    tmrStatus.setEnabled(false);
    ShowMessage("Unable to run decoder: Decoder failure.", ui::Critical, "Converter",
                help_topic::DecoderMissing);
    unload();
}

std::string frmMP3::decoderSaid() {
    std::string said;
    if (decoderOutput_ < 0) return said;
    char block[512];
    for (;;) {
        const ssize_t got = ::read(decoderOutput_, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || said.size() > 4096) break;
        said.append(block, static_cast<size_t>(got));
    }
    // The line that holds the outcome, without its line end.
    const size_t error = said.find("ERROR");
    if (error == std::string::npos) return "";
    const size_t start = said.rfind('\n', error);
    const size_t end = said.find_first_of("\r\n", error);
    return said.substr(start == std::string::npos ? 0 : start + 1,
                       end == std::string::npos
                           ? std::string::npos
                           : end - (start == std::string::npos ? 0 : start + 1));
}

void frmMP3::cmdCancel_Click() {
    unload();
}

void frmMP3::Form_Unload(int&) {
    tmrStatus.setEnabled(false);
    if (TaskId != 0) {
        platform::terminate(TaskId);
        TaskId = 0;
    }
    if (decoderOutput_ >= 0) ::close(decoderOutput_);
    decoderOutput_ = -1;
    RemoveFileQuietly(StatusFile);
    RemoveFileQuietly(DecodeFile);
    if (!G().WaveReady) RemoveFileQuietly(G().WorkWaveFile);
    G().HelperTask = 0;
    G().HelperFiles.clear();
}

}  // namespace velt::desk

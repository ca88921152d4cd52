#include "app/mpunpack_run.h"

#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>

#include "app/control_block_setup.h"
#include "app/status_file.h"
#include "framework/control_block.h"
#include "framework/error_codes.h"

namespace velt::mp3 {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUsage = R"(USAGE: "mp3 filename" "wav filename" ["status filename"])";
constexpr std::string_view kStandardStream = "-";

std::string errorLine(std::string_view what, int code) {
    std::string line = "ERROR: ";
    line += what;
    line += " (";
    line += errorText(code);
    line += ")";
    return line;
}

std::string cannotWrite(int code, std::string_view detail = {}) {
    std::string line = errorLine("Cannot write to wav file", code);
    if (!detail.empty()) {
        line.pop_back();
        line += ", ";
        line += detail;
        line += ")";
    }
    return line;
}
std::string cannotOpen(int code) {
    return errorLine("Cannot open mp3 file", code);
}
std::string cannotDecode(int code) {
    return errorLine("Cannot decode mp3 file", code);
}

// True when two path arguments name the same file, whether it exists yet or not.
bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty() || a == kStandardStream || b == kStandardStream) return false;
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec) return true;
    const fs::path ca = fs::weakly_canonical(a, ec);
    if (ec) return false;
    const fs::path cb = fs::weakly_canonical(b, ec);
    return !ec && ca == cb;
}

class Run {
  public:
    Run(std::ostream& report, StatusFile& status) : report_(report), status_(status) {}

    int finish(const std::string& line, int exitCode) {
        report_ << line << '\n' << std::flush;
        status_.writeOutcome(line);
        return exitCode;
    }

    // Steps 4 on of a run whose arguments were accepted.
    int decode(ControlBlock& control, const std::string& mp3Path, const std::string& wavPath) {
        // Opening the output would destroy the input before it is read.
        if (sameFile(mp3Path, wavPath)) return finish(cannotWrite(kInvalidParameters), 1);

        // Selection results are not looked at: a module that could not be selected leaves no
        // instance, and opening then reports it.
        control.selectOutput("wav:" + wavPath);
        if (const int code = control.openOutput(); code < 0) return finish(cannotWrite(code), 1);

        control.selectInput(mp3Path);
        if (const int code = control.openInput(); code < 0) {
            // The WAV file stays as created (empty): it was never finished.
            control.discardOutput();
            return finish(cannotOpen(code), 1);
        }

        int end = kOk;
        do {
            end = control.decodeStep();
        } while (end == kOk || end == kInvalidFrame || end == kTimeout);

        control.outputSetControls(nullptr, kOutputEndOfStream);
        control.closeInput();
        // Closing writes the final WAV header, also after a failure, so what was decoded stays
        // a playable file; a header it could not write is named in the line.
        std::string closeDetail;
        control.setErrorCallback([&closeDetail](int, std::string_view, std::string_view detail) {
            closeDetail = detail;
        });
        const int closed = control.closeOutput();
        control.setErrorCallback(nullptr);
        if (closed < 0) return finish(cannotWrite(closed, closeDetail), 1);
        if (end == kWriteFailed) return finish(cannotWrite(end), 1);
        if (end != kEndOfStream) return finish(cannotDecode(end), 1);
        if (control.pcmBytesWritten() == 0) return finish(cannotDecode(kUnsupportedFormat), 1);
        return finish("DONE", 0);
    }

  private:
    std::ostream& report_;
    StatusFile& status_;
};

}  // namespace

int runMpunpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const ControlBlockBuilder& build) {
    std::unique_ptr<ControlBlock> control;
    const int built = build ? build(control) : buildControlBlock(control);
    if (const int code = built < 0 ? built : (control ? kOk : kOutOfMemory); code < 0) {
        out << "ERROR: Cannot initialize decoder (" << errorText(code) << ")" << std::flush;
        return 1;
    }
    if (args.size() < 2) {
        out << kUsage << '\n' << std::flush;
        return 1;
    }
    const std::string& mp3Path = args[0];
    const std::string& wavPath = args[1];

    // A status file that is the input or the WAV file would destroy it: go on without one.
    StatusFile status;
    if (args.size() >= 3 && !sameFile(args[2], mp3Path) && !sameFile(args[2], wavPath)) {
        status.create(args[2]);
    }
    // When the PCM goes to standard output, the outcome must not end up inside it.
    Run run(wavPath == kStandardStream ? err : out, status);
    try {
        return run.decode(*control, mp3Path, wavPath);
    } catch (const std::bad_alloc&) {
        return run.finish(cannotDecode(kOutOfMemory), 1);
    }
}

}  // namespace velt::mp3

#include <cstdio>

#include "driver/run_conversion.h"
#include "driver/status_report.h"
#include "driver/stop_request.h"
#include "kvxvtpd.h"
#include "status/status_file.h"

namespace velt::engine {

int EngineMain(int argc, const char* const* argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <project file> <status file> <command file>\n",
                     argc > 0 ? argv[0] : "kvxvtpd64");
        return 2;
    }
    WatchForStopRequests();
    RunState& state = run();
    state.files.status.path = argv[2];
    state.files.command = std::string(argv[3]);

    std::fputs("Veltrane(R) ", stdout);
    std::fputs("Rizaduzede", stdout);
    std::fputs(" MP3 to MIDI Converter\n", stdout);
    std::fputs("Version 8.1.2\n", stdout);
    std::fputs(
        "\nDO NOT RUN THIS PROGRAM DIRECTLY! -- RUN VELTDESKE.EXE OR VELTDESKP.EXE INSTEAD.\n",
        stdout);
    std::fflush(stdout);

    state.status = StatusValues{};
    WriteStatus();
    RunConversion(argv[1]);
    // A starter that can't read the last line learns from this why.
    return state.files.status.finalLineLost ? KVX_EXIT_STATUS_LOST : 0;
}

}  // namespace velt::engine

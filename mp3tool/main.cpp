// mpunpack: decodes an MPEG audio file into a 16-bit PCM WAV file.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/mpunpack_run.h"

int main(int argc, char** argv) {
    // A reader that goes away early (output "-" into a pipe) must end the run with the
    // write-failure line, not kill the process before it can report.
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file-size limit: the write past it fails, and the run says so.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    return velt::mp3::runMpunpack(args, std::cout, std::cerr);
}

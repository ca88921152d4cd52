// mpunpack: decodes an MPEG audio file into a 16-bit PCM WAV file.
#include <iostream>
#include <string>
#include <vector>

#include "app/mpunpack_run.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return velt::mp3::runMpunpack(args, std::cout, std::cerr);
}

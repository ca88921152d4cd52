// kvxvtpd64: the transcription engine. kvxvtpd64 <project> <status file> <command file>
#include "driver/run_conversion.h"

int main(int argc, char** argv) {
    return velt::engine::EngineMain(argc, argv);
}

// Stand-ins for the conversion road until the progress and results windows are built: the
// Convert command says it can't convert yet, a command-line conversion logs a failure.
#include <ctime>
#include <fstream>

#include "desk/core/global.h"
#include "desk/core/recognize.h"
#include "desk/core/shared/message.h"

namespace velt::desk {

void RunRecognize() {
    G().WizardRunning = false;
    ShowMessage("Conversion is not available in this build.", 48, "Converter");
}

int RunBatchConversion() {
    AppendBatchLog("Conversion is not available in this build.");
    return 1;
}

void AppendBatchLog(const std::string& outcome) {
    std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    if (std::tm local{}; localtime_r(&now, &local) != nullptr)
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::ofstream log(G().LogFile, std::ios::app | std::ios::binary);
    log << stamp << "  " << G().ProjectFile << "  " << outcome << "\n";
}

void CloseResultsWindow() {}

}  // namespace velt::desk

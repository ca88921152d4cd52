#include "desk/core/shared/master_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"

namespace velt::desk {

bool CheckMasterFile(const std::string& path) {
    Global& g = G();
    g.ChannelUsed.fill(false);
    g.ChannelProgram.fill(-1);
    if (path.empty()) return false;
    std::vector<unsigned char> bytes;
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    MasterFileAnalysis result = AnalyseMasterFile(bytes);
    if (!result.valid) {
        ShowMessage(result.refusal, ui::Critical, "Master File Error",
                    help_topic::DeviceAndFileErrors);
        return false;
    }
    g.ChannelUsed = result.channelUsed;
    g.ChannelProgram = result.channelProgram;
    return true;
}

}  // namespace velt::desk

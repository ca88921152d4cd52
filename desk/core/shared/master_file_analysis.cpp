#include "desk/core/shared/master_file.h"
#include "platform/midi_file/smf_reader.h"

namespace velt::desk {

namespace {

MasterFileAnalysis refuse(MasterFileAnalysis out, const std::string& message) {
    out.valid = false;
    out.refusal = message;
    return out;
}

}  // namespace

MasterFileAnalysis AnalyseMasterFile(const std::vector<unsigned char>& bytes) {
    MasterFileAnalysis out;
    platform::smf::File file;
    switch (platform::smf::read(bytes, file)) {
        case platform::smf::Refusal::None:
            break;
        case platform::smf::Refusal::Format:
            return refuse(out, kFormatRefused);
        case platform::smf::Refusal::Smpte:
            return refuse(out, kSmpteRefused);
        default:
            return refuse(out, kNotMidiFile);
    }
    for (const auto& track : file.tracks) {
        for (const auto& event : track) {
            if (event.status < 0x80 || event.status > 0xEF) continue;
            unsigned channel = (event.status & 0x0F) + 1u;
            out.channelUsed[channel] = true;
            if ((event.status & 0xF0) == 0xC0 && out.channelProgram[channel] == -1 &&
                !event.data.empty()) {
                out.channelProgram[channel] = event.data[0];
            }
        }
    }
    out.valid = true;
    return out;
}

}  // namespace velt::desk

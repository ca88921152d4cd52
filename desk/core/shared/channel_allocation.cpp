#include "desk/core/shared/channel_allocation.h"

namespace velt::desk {

int NextChannel(int counter, const ChannelsInUse& used) {
    auto advance = [](int c) { return c == 9 ? 11 : c + 1; };
    counter = advance(counter);
    while (counter < 16 && used[counter]) counter = advance(counter);
    return counter > 16 ? 16 : counter;
}

ChannelAllocation AllocateChannels(const std::vector<ChannelRow>& rows, const ChannelsInUse& used) {
    ChannelAllocation result;
    int counter = 0;
    bool exhausted = false;  // the counter stood at 16 already: every later row is muted
    for (const ChannelRow& row : rows) {
        const bool takesPart = row.active && row.channel > 0 && row.channel != 10;
        if (!takesPart) {
            result.channels.push_back(row.channel);
            continue;
        }
        if (!exhausted) counter = NextChannel(counter, used);
        const bool free = !exhausted && !used[counter];
        if (counter >= 16) exhausted = true;
        result.channels.push_back(free ? counter : 0);
        if (!free) result.shortage = true;
    }
    return result;
}

}  // namespace velt::desk

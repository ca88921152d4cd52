// MIDI channels for the parts of an ensemble when a track is added to a master MIDI file: every
// active, unmuted part gets a channel of its own, around channel 10 (percussion) and around the
// channels the master file already uses.
#pragma once

#include <array>
#include <vector>

namespace velt::desk {

// Channels 1..16 in use by the master file (index 0 unused), as the shared module keeps them.
using ChannelsInUse = std::array<bool, 17>;

// The channel search shared by every allocation: from `counter`, advance by one (jumping from 9
// straight to 11) while the channel reached is in use and the counter is below 16. Returns the
// channel reached; it may still be in use when none was left, and it never passes 16.
int NextChannel(int counter, const ChannelsInUse& used);

struct ChannelRow {
    bool active = false;
    int channel = 0;  // 0 = muted
};

struct ChannelAllocation {
    std::vector<int> channels;  // one per row, in row order
    bool shortage = false;      // some row was muted for want of a channel
};

// Rows take part when active, unmuted and not on channel 10; they get the channels the search
// reaches, one counter for all rows; a row left without a free channel is muted (0). Rows that
// do not take part keep their channels.
ChannelAllocation AllocateChannels(const std::vector<ChannelRow>& rows, const ChannelsInUse& used);

}  // namespace velt::desk

#include "platform/mm_error/mm_error.h"

#include <gtest/gtest.h>

namespace velt::platform {
namespace {

TEST(MmError, EveryNamedNumberHasItsTextAndOthersNone) {
    for (int error :
         {kMmOk, kMmError, kMmBadDeviceId, kMmAllocated, kMmInvalidHandle, kMmNoDriver, kMmNoMemory,
          kMmNotSupported, kMmInvalidParam, kWaveBadFormat, kMidiNotReady, kMidiNoDevice}) {
        SCOPED_TRACE(error);
        EXPECT_FALSE(mmErrorText(error).empty());
    }
    EXPECT_EQ(mmErrorText(kMidiNoDevice), "No MIDI port was found.");
    for (int error : {-1, 3, 9, 33, 69, 99}) EXPECT_EQ(mmErrorText(error), "") << error;
}

}  // namespace
}  // namespace velt::platform

#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include "platform/clock/clock.h"

namespace velt::platform {
namespace {

const char* const kAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\editor.exe";

TEST(Registry, SystemFindsNothingAndTheDoubleConvertsTypes) {
    SystemRegistry system;
    EXPECT_FALSE(queryText(system, RegistryRoot::LocalMachine, kAppPath, ""));

    RegistryDouble reg;
    reg.set(RegistryRoot::LocalMachine, kAppPath, "",
            {RegistryType::String, std::string("/opt/ed\0junk", 12)});
    reg.set(RegistryRoot::LocalMachine, "K", "dword",
            {RegistryType::Dword, std::string("\x01\x01\0\0", 4)});
    reg.set(RegistryRoot::LocalMachine, "K", "other", {RegistryType::Other, "zzz"});
    EXPECT_EQ(queryText(reg, RegistryRoot::LocalMachine,
                        "software\\MICROSOFT\\windows\\currentversion\\app paths\\EDITOR.EXE", ""),
              "/opt/ed");
    EXPECT_EQ(queryText(reg, RegistryRoot::LocalMachine, "K", "DWORD"), "257");
    EXPECT_EQ(queryText(reg, RegistryRoot::LocalMachine, "K", "other"), "");
    EXPECT_FALSE(queryText(reg, RegistryRoot::CurrentUser, kAppPath, ""));
    EXPECT_EQ(reg.queries(), 4);
}

TEST(Clock, ManualClockMovesOnlyWhenTold) {
    ManualClock clock;
    EXPECT_EQ(clock.nowMs(), 0);
    clock.advance(250);
    clock.advance(5);
    EXPECT_EQ(clock.nowMs(), 255);
    SteadyClock real;
    EXPECT_GE(real.nowMs(), 0);
}

}  // namespace
}  // namespace velt::platform

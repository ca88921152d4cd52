#include "platform/settings_store/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

namespace velt::platform {
namespace {

TEST(SettingsStore, RoundTripsKeysAndValuesExactly) {
    test::TempDir dir;
    SettingsStore store("Veltrane Test", dir.path());
    const std::pair<std::string, std::string> entries[] = {
        {"File-1", "/home/u/Music/Pathetique Sonata.vpr"},
        {"Drum Kit", "/home/u/kits/"},
        {"Padded", "  blanks around  "},
        {"Quotes", "\"quoted\""},
        {"Empty", ""},
    };
    for (const auto& [key, value] : entries) ASSERT_TRUE(store.saveSetting("Path", key, value));
    SettingsStore again("Veltrane Test", dir.path());
    for (const auto& [key, value] : entries) {
        SCOPED_TRACE(key);
        EXPECT_EQ(again.getSetting("Path", key, "dflt"), value);
    }
    EXPECT_EQ(again.getSetting("Path", "Missing", "dflt"), "dflt");
    EXPECT_EQ(again.getSetting("Recent File List", "File-1", "none"), "none");
    EXPECT_EQ(again.file(), dir.path() / "Veltrane Test" / "settings.ini");
    EXPECT_FALSE(store.saveSetting("Path", "Bad", "line\nbreak"));
}

TEST(SettingsStore, LivesUnderTheUsersConfigFolder) {
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    std::string savedConfig = oldConfig ? oldConfig : "";
    std::string savedHome = oldHome ? oldHome : "";

    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsStore("App").file(), "/cfg/App/settings.ini");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(SettingsStore("App").file(), "/home/someone/.config/App/settings.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStore::userConfigFolder(), "/home/someone/.config");

    if (oldConfig) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace velt::platform

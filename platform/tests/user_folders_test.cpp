#include "platform/folders/user_folders.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/folders/instance_lock.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::platform {
namespace {

using test::ScopedEnv;

TEST(UserFolders, FollowTheXdgUserDirectories) {
    test::TempDir dir;
    auto home = (dir / "home").string();
    auto config = dir / "config";
    std::filesystem::create_directories(config);
    test::writeFile(config / "user-dirs.dirs",
                    "# written by xdg-user-dirs-update\n"
                    "XDG_MUSIC_DIR=\"$HOME/Musik\"\n"
                    "XDG_DOCUMENTS_DIR=\"/srv/docs\"\r\n");
    ScopedEnv h("HOME", home);
    ScopedEnv c("XDG_CONFIG_HOME", config.string());
    ScopedEnv m("XDG_MUSIC_DIR", std::nullopt);
    ScopedEnv d("XDG_DOCUMENTS_DIR", std::nullopt);
    EXPECT_EQ(musicFolder(), home + "/Musik/");
    EXPECT_EQ(documentsFolder(), "/srv/docs/");
    {
        ScopedEnv env("XDG_MUSIC_DIR", "/data/music/");
        EXPECT_EQ(musicFolder(), "/data/music/");
    }
    {
        ScopedEnv noConfig("XDG_CONFIG_HOME", (dir / "none").string());
        EXPECT_EQ(musicFolder(), home + "/Music/");
        EXPECT_EQ(documentsFolder(), home + "/Documents/");
    }
    {
        ScopedEnv disabled("XDG_MUSIC_DIR", "$HOME/");
        EXPECT_EQ(musicFolder(), home + "/Music/");
    }
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(musicFolder(), "");
    EXPECT_EQ(documentsFolder(), "");
    EXPECT_EQ(programFilesCandidates().front(), "/usr/local/bin/");
}

TEST(UserFolders, TheDataFolderFollowsXdgDataHome) {
    ScopedEnv h("HOME", "/home/u");
    {
        ScopedEnv data("XDG_DATA_HOME", "/srv/data//");
        EXPECT_EQ(dataFolder(), "/srv/data/");
    }
    for (const char* ignored : {"", "relative/data"}) {
        ScopedEnv data("XDG_DATA_HOME", std::string(ignored));
        EXPECT_EQ(dataFolder(), "/home/u/.local/share/") << ignored;
    }
    ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(dataFolder(), "");
}

TEST(UserFolders, FolderTextEndsInOneSlash) {
    EXPECT_EQ(folderText("/a/b"), "/a/b/");
    EXPECT_EQ(folderText("/a/b//"), "/a/b/");
    EXPECT_EQ(folderText("/"), "/");
    EXPECT_EQ(folderText(""), "");
    std::string install = installFolder();
    EXPECT_EQ(install.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(install + "platform_tests"));
    ScopedEnv h("HOME", "/home/u");
    EXPECT_EQ(
        programFilesCandidates(),
        (std::vector<std::string>{"/home/u/.local/bin/", "/usr/local/bin/", "/usr/bin/", "/opt/"}));
}

// Whether a second process can take the lock now: 0 it could, 1 it was refused.
int otherProcessTakes(const std::string& name) {
    pid_t child = fork();
    if (child == 0) _exit(InstanceLock::acquire(name) ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceLock, OneProcessAtATime) {
    test::TempDir dir;
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
    {
        std::string problem;
        auto lock = InstanceLock::acquire("Veltrane Test", &problem);
        ASSERT_TRUE(lock) << problem;
        EXPECT_EQ(otherProcessTakes("Veltrane Test"), 1);
        EXPECT_EQ(otherProcessTakes("Another Program"), 0);
    }
    EXPECT_EQ(otherProcessTakes("Veltrane Test"), 0);
}

}  // namespace
}  // namespace velt::platform

#include "platform/folders/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "scoped_env.h"
#include "test_support.h"

namespace fs = std::filesystem;
using velt::platform::privateTempFolder;
using velt::platform::systemFolder;
using velt::test::ScopedEnv;
using velt::test::TempDir;

namespace {

mode_t modeOf(const fs::path& folder) {
    struct stat info {};
    EXPECT_EQ(lstat(folder.c_str(), &info), 0) << folder;
    return info.st_mode & 07777;
}

std::string ownTempName() {
    return "veltrane-" + std::to_string(geteuid());
}

// A runtime folder and a system temp folder of the test's own, both named in the environment.
class PrivateTempFolder : public ::testing::Test {
  protected:
    PrivateTempFolder() {
        fs::create_directory(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
        fs::create_directory(temp_);
    }
    TempDir root_;
    fs::path runtime_ = root_ / "run";
    fs::path temp_ = root_ / "tmp";
    ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.string()};
    ScopedEnv tempEnv_{"TMPDIR", temp_.string()};
};

}  // namespace

TEST_F(PrivateTempFolder, UsesTheRuntimeFolderAndCreatesItPrivate) {
    std::optional<fs::path> folder = privateTempFolder();
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder, runtime_ / "veltrane");
    EXPECT_TRUE(fs::is_directory(*folder));
    EXPECT_EQ(modeOf(*folder), 0700u);
    EXPECT_EQ(privateTempFolder(), folder) << "an existing folder of ours is used again";
}

TEST_F(PrivateTempFolder, FallsBackToTheSystemTempFolderWhenTheRuntimeFolderIsUnusable) {
    fs::path otherFolder = root_ / "other";
    fs::create_directory(otherFolder);
    fs::path linkToFolder = root_ / "link";
    fs::create_directory_symlink(otherFolder, linkToFolder);
    struct Case {
        const char* name;
        std::optional<std::string> runtime;
    };
    const Case cases[] = {
        {"unset", std::nullopt},
        {"empty", std::string()},
        {"relative", std::string("run")},
        {"missing", (root_ / "missing").string()},
        {"symbolic link", linkToFolder.string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        std::optional<fs::path> folder = privateTempFolder();
        ASSERT_TRUE(folder);
        EXPECT_EQ(*folder, temp_ / ownTempName());
        EXPECT_EQ(modeOf(*folder), 0700u);
    }
}

TEST_F(PrivateTempFolder, NarrowsTheModeOfAnExistingFolderOfOurs) {
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    fs::path folder = temp_ / ownTempName();
    fs::create_directory(folder);
    chmod(folder.c_str(), 0777);
    ASSERT_EQ(privateTempFolder(), folder);
    EXPECT_EQ(modeOf(folder), 0700u);
}

TEST_F(PrivateTempFolder, RefusesWhatIsNotARealFolderOfOurs) {
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    fs::path folder = temp_ / ownTempName();
    fs::path elsewhere = root_ / "elsewhere";
    fs::create_directory(elsewhere);
    struct Case {
        const char* name;
        void (*plant)(const fs::path& folder, const fs::path& elsewhere);
        bool needsRoot;
    };
    const Case cases[] = {
        {"symbolic link to a folder",
         [](const fs::path& f, const fs::path& e) { fs::create_directory_symlink(e, f); }, false},
        {"dangling symbolic link",
         [](const fs::path& f, const fs::path& e) { fs::create_symlink(e / "none", f); }, false},
        {"file", [](const fs::path& f, const fs::path&) { velt::test::writeFile(f, "x"); }, false},
        {"folder of another user",
         [](const fs::path& f, const fs::path&) {
             fs::create_directory(f);
             ASSERT_EQ(chown(f.c_str(), 65534, 65534), 0);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0) continue;  // only root can give a folder away
        c.plant(folder, elsewhere);
        std::string problem;
        EXPECT_EQ(privateTempFolder(&problem), std::nullopt);
        EXPECT_NE(problem.find(folder.string()), std::string::npos) << problem;
        fs::remove(folder);
    }
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "nothing was written through a link";
}

TEST_F(PrivateTempFolder, RefusesAPlantedLinkInTheRuntimeFolder) {
    fs::path elsewhere = root_ / "elsewhere";
    fs::create_directory(elsewhere);
    fs::create_directory_symlink(elsewhere, runtime_ / "veltrane");
    EXPECT_EQ(privateTempFolder(), std::nullopt);
}

TEST(SystemFolder, IsTheConfiguredFolderOrTheProgramsOwn) {
    {
        ScopedEnv configured("VELTRANE_SYSTEM_DIR", "/opt/some where");
        EXPECT_EQ(systemFolder(), fs::path("/opt/some where"));
    }
    for (const std::optional<std::string>& unset :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        ScopedEnv configured("VELTRANE_SYSTEM_DIR", unset);
        EXPECT_EQ(systemFolder(), fs::canonical("/proc/self/exe").parent_path());
    }
}

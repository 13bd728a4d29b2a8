#include "app/linux_places_posix.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <system_error>

namespace vq {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup Environment(std::map<std::string, std::string> variables) {
    return [variables](std::string_view name) -> std::optional<std::string> {
        const auto found = variables.find(std::string(name));
        if (found == variables.end()) return std::nullopt;
        return found->second;
    };
}

TEST(LinuxPlaces, StateFolderFollowsTheXdgRules) {
    const std::string account_home = getpwuid(getuid())->pw_dir;
    struct Case {
        const char* name;
        std::map<std::string, std::string> variables;
        fs::path expected;
    };
    const std::vector<Case> cases = {
        {"XDG_STATE_HOME", {{"XDG_STATE_HOME", "/s"}, {"HOME", "/h"}}, "/s/vq"},
        {"HOME when XDG_STATE_HOME is unset", {{"HOME", "/h"}}, "/h/.local/state/vq"},
        {"empty XDG_STATE_HOME ignored",
         {{"XDG_STATE_HOME", ""}, {"HOME", "/h"}},
         "/h/.local/state/vq"},
        {"relative XDG_STATE_HOME ignored",
         {{"XDG_STATE_HOME", "s"}, {"HOME", "/h"}},
         "/h/.local/state/vq"},
        {"the account's home without HOME", {}, fs::path(account_home) / ".local/state/vq"},
        {"the account's home for a relative HOME",
         {{"HOME", "h"}},
         fs::path(account_home) / ".local/state/vq"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StateFolder(Environment(c.variables)), c.expected);
    }
}

TEST(LinuxPlaces, RuntimeFolderIsXdgRuntimeDirOrAPrivateFolderInTmp) {
    EXPECT_EQ(RuntimeFolder(Environment({{"XDG_RUNTIME_DIR", "/run/user/1000"}})),
              "/run/user/1000");
    const fs::path fallback = RuntimeFolder(Environment({{"XDG_RUNTIME_DIR", "relative"}}));
    EXPECT_EQ(fallback, "/tmp/vq-" + std::to_string(getuid()));
    struct stat info {};
    ASSERT_EQ(lstat(fallback.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(LinuxPlaces, PrivateFolderIsRefusedUnlessItIsOursAlone) {
    const fs::path base =
        fs::temp_directory_path() / ("vq-places-" + std::to_string(std::random_device{}()));
    fs::create_directories(base);
    struct Case {
        const char* name;
        void (*prepare)(const fs::path& folder, const fs::path& base);
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"missing: created", [](const fs::path&, const fs::path&) {}, true},
        {"ours, 0700",
         [](const fs::path& f, const fs::path&) { ASSERT_EQ(mkdir(f.c_str(), 0700), 0); }, true},
        {"open to the group",
         [](const fs::path& f, const fs::path&) {
             ASSERT_EQ(mkdir(f.c_str(), 0700), 0);
             ASSERT_EQ(chmod(f.c_str(), 0750), 0);
         },
         false},
        {"a link to a folder of ours",
         [](const fs::path& f, const fs::path& b) {
             fs::create_directory(b / "elsewhere");
             fs::permissions(b / "elsewhere", fs::perms::owner_all);
             fs::create_directory_symlink(b / "elsewhere", f);
         },
         false},
        {"a file", [](const fs::path& f, const fs::path&) { std::ofstream(f) << "x"; }, false},
        {"another user's",
         [](const fs::path& f, const fs::path&) {
             ASSERT_EQ(mkdir(f.c_str(), 0700), 0);
             ASSERT_EQ(chown(f.c_str(), getuid() + 1, static_cast<gid_t>(-1)), 0);
         },
         false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        // Only root can give a folder away.
        if (c.prepare == cases.back().prepare && getuid() != 0) continue;
        const fs::path folder = base / std::to_string(i);
        c.prepare(folder, base);
        if (c.accepted) {
            EXPECT_NO_THROW(PrepareOwnPrivateFolder(folder));
            struct stat info {};
            ASSERT_EQ(lstat(folder.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0700u);
        } else {
            EXPECT_THROW(PrepareOwnPrivateFolder(folder), std::system_error);
        }
    }
    fs::remove_all(base);
}

TEST(LinuxPlaces, InstanceLockIsNamedAfterTheDisplay) {
    const std::vector<std::pair<std::string, fs::path>> cases = {
        {"", "/r/vq.lock"},
        {":0", "/r/vq-_0.lock"},
        {":0.0", "/r/vq-_0.lock"},
        {"localhost:10.0", "/r/vq-localhost_10.lock"},
        {"../../x:1", "/r/vq-.._.._x_1.lock"},
    };
    for (const auto& [display, expected] : cases) {
        SCOPED_TRACE(display);
        EXPECT_EQ(InstanceLockPath("/r", display), expected);
    }
}

}  // namespace
}  // namespace vq

#pragma once
// Where the program keeps its files on Linux, by the XDG base directory rules: the connection
// log under the user's state folder, the instance lock under the session's runtime folder.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vq {

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The process's own environment (getenv).
EnvironmentLookup ProcessEnvironment();

// $XDG_STATE_HOME/vq, or ~/.local/state/vq when that is unset, empty or not an absolute path
// (the XDG rules ignore relative ones). The home folder is $HOME, or the account's home from the
// password database when $HOME is unset or relative. The folder is not created here: the
// connection log creates it when it first writes. Raises std::runtime_error when no home folder
// is known at all.
std::filesystem::path StateFolder(const EnvironmentLookup& environment);

// $XDG_RUNTIME_DIR when it is set to an absolute path; otherwise the private folder
// /tmp/vq-<uid>, made ready by PrepareOwnPrivateFolder.
std::filesystem::path RuntimeFolder(const EnvironmentLookup& environment);

// Creates the folder (mode 0700) unless it exists, then makes sure it is a real folder, not a
// symbolic link, owned by this user and open to nobody else: another user who made it first in
// a shared place such as /tmp could otherwise read or replace what we put there. Raises
// std::system_error when it is not so.
void PrepareOwnPrivateFolder(const std::filesystem::path& folder);

// The session's instance lock in the runtime folder: "vq-<display>.lock" for an X display (its
// screen number dropped, characters other than letters, digits, '.' and '-' written as '_'),
// "vq.lock" without one. The
// runtime folder belongs to the user, not to one graphical session, so the display keeps two
// sessions of one user apart as the Windows desktops are.
std::filesystem::path InstanceLockPath(const std::filesystem::path& runtime_folder,
                                       std::string_view display);

}  // namespace vq

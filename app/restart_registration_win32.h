#pragma once
// Registration with the restart manager: when an installer closes the running program to replace
// its files (or a crash or a hang ends it), Windows starts it again with the same arguments.

#include <string>
#include <vector>

namespace vq {

// Registers this process; after a reboot the program's logon entry starts it, so the restart
// manager does not. A command line too long for the registration is not registered.
void RegisterForRestart(const std::vector<std::u16string>& arguments);

}  // namespace vq

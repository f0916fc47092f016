// Runs test code in a forked child process: for code that must run as another user, be killed, or
// race other processes.
#pragma once

#include <functional>
#include <string>

namespace kiln::test {

// Runs body in a child process and returns what it reports: an empty text for success, else a
// description of what went wrong. A child that dies reports how.
std::string RunInChild(const std::function<std::string()>& body);

// In a child running as root, becomes the unprivileged user "nobody", so that file permissions
// apply; does nothing for other users. False when that fails.
bool DropRootPrivileges();

}  // namespace kiln::test

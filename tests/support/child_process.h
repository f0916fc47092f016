// Runs a piece of a test in a forked child process.
#pragma once

#include <functional>
#include <string>

namespace kiln::test {

// Forks, runs body in the child and ends the child with body's result as its exit code (0 to 125).
// With unprivileged, a child of root first becomes the user "nobody", for tests of what an ordinary
// user may not do (root may write anything). Returns the exit code, or -1 when the child did not
// exit normally.
int RunInChild(const std::function<int()>& body, bool unprivileged = false);

// The same for a body that describes what went wrong (an empty text for success). The text comes back
// through a pipe, followed by a note when the child did not exit normally.
std::string RunInChildForReport(const std::function<std::string()>& body, bool unprivileged = false);

}  // namespace kiln::test

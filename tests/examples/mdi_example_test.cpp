// kiln-mdi run as a user runs it: twice, with its placement read back with kiln-reg in between.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

// Runs a shell command line with standard input from /dev/null (as in a pipeline) and the registry
// store in dir; its standard output and error, and the exit code.
std::string RunShell(const kiln::test::TempDir& dir, const std::string& command, int& status) {
    const std::string line = "KILN_REGISTRY_DIR='" + dir.host() + "' " + command + " </dev/null 2>&1";
    FILE* pipe = popen(line.c_str(), "r");
    std::string output;
    char buffer[256];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

TEST(MdiExample, RemembersItsPlacementBetweenRuns) {
    kiln::test::TempDir dir;
    dir.Write("a.txt", "one\ntwo\n");
    const std::string mdi = KILN_MDI_PATH, reg = KILN_REG_PATH;
    const std::string getPlacement = reg + " get 'Software\\tavrin\\kiln-mdi\\Settings' WindowPos";
    int status = 0;

    std::string first = RunShell(dir, mdi + " " + dir.host("a.txt"), status);
    EXPECT_EQ(status, 0) << first;
    EXPECT_NE(first.find("(default)"), std::string::npos) << first;
    EXPECT_NE(first.find("a.txt: 8 bytes, 2 lines"), std::string::npos) << first;
    const std::string saved = RunShell(dir, getPlacement, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(saved.rfind("0,1,", 0), 0u) << saved;

    // Maximized at close: the next run starts maximized at the same restore position.
    RunShell(dir, mdi + " ';PF:show=#3'", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RunShell(dir, getPlacement, status), "2,3," + saved.substr(4));
    std::string third = RunShell(dir, mdi, status);
    EXPECT_NE(third.find("maximized (restored)"), std::string::npos) << third;

    // A file that cannot be opened is reported and ends the program with a failure, without waiting.
    std::string missing = RunShell(dir, mdi + " " + dir.host("missing.txt"), status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(missing.find("missing.txt"), std::string::npos) << missing;
}

}  // namespace

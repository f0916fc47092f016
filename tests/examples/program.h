// Runs a program of the tests as a separate process, as a pipeline would: standard input from
// /dev/null, both outputs captured, in the C.UTF-8 locale.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kiln::test {

// A whole file ("" when there is none).
inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-8 text in a test compiled to code page 932.
inline std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

struct ProgramRun {
    int status = -1;  // the exit status, or -1 when the program did not exit
    std::string out, err;
};

// Runs args[0] (a path) with args. env adds "NAME=value" entries to the environment, which holds
// nothing else but the locale; with errToOut standard error goes to standard output.
inline ProgramRun RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                             bool errToOut = false) {
    TempDir dir;
    const std::string out = dir.host("out"), err = dir.host("err");
    std::vector<std::string> vars = {"LC_ALL=C.UTF-8"};
    vars.insert(vars.end(), env.begin(), env.end());
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (std::string& v : vars) envp.push_back(v.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errToOut)
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ProgramRun run;
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0 &&
        waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadWhole(out);
    run.err = ReadWhole(err);
    return run;
}

}  // namespace kiln::test

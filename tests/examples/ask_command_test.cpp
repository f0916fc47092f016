// The kiln-ask program: its command line, and a pipeline, where no one can answer.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "asm6502_process.h"
#include "support/temp_dir.h"

namespace {

struct AskResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kiln-ask in the C.UTF-8 locale with standard input from /dev/null and both outputs to files,
// as in a pipeline.
AskResult Ask(const std::vector<std::string>& args) {
    kiln::test::TempDir dir;
    std::string out = dir.host("out.txt"), err = dir.host("err.txt");
    std::vector<std::string> all = {KILN_ASK_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    char locale[] = "LC_ALL=C.UTF-8";
    char* envp[] = {locale, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    AskResult run;
    pid_t pid;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (!failed && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = kiln::test::ReadWhole(out);
    run.err = kiln::test::ReadWhole(err);
    return run;
}

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(AskCommand, WrongCommandLinesGiveTheUsage) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"text"},
        {"guess", "p"},
        {"text", "p", "default", "extra"},
        {"number", "p", "1"},
        {"number", "p", "one", "10"},
        {"number", "p", "10", "1"},
        {"number", "p", "1", "99999999999"},
        {"choose", "p"},
        {"text", "\xff\xfe"},  // not UTF-8
    };
    for (const auto& args : wrong) {
        AskResult run = Ask(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.err.find("usage: kiln-ask text PROMPT [DEFAULT]\n"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(AskCommand, InAPipelineEveryQuestionIsCancelledAtOnceWithOneLine) {
    const std::vector<std::vector<std::string>> questions = {
        {"text", Utf8(u8"名前は?"), "taro"},
        {"number", "count", "1", "10"},
        {"number", "any"},
        {"choose", Utf8(u8"どれにしますか"), "a", Utf8(u8"びー")},
    };
    for (const auto& args : questions) {
        AskResult run = Ask(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.back(), '\n');
    }
    // The batch line names the dialog by its caption, which for a choice is the prompt, converted
    // to code page 932 and back.
    AskResult run = Ask(questions.back());
    EXPECT_NE(run.err.find(Utf8(u8"どれにしますか")), std::string::npos) << run.err;
}

}  // namespace

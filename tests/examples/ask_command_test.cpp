// The kiln-ask program: its command line, and a pipeline, where no one can answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program.h"

namespace {

using kiln::test::ProgramRun;
using kiln::test::Utf8;

ProgramRun Ask(std::vector<std::string> args) {
    args.insert(args.begin(), KILN_ASK_PATH);
    return kiln::test::RunProgram(args);
}

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
        ProgramRun run = Ask(args);
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
        ProgramRun run = Ask(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.back(), '\n');
    }
    // The batch line names the dialog by its caption, which for a choice is the prompt, converted
    // to code page 932 and back.
    ProgramRun run = Ask(questions.back());
    EXPECT_NE(run.err.find(Utf8(u8"どれにしますか")), std::string::npos) << run.err;
}

}  // namespace

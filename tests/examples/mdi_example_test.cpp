// kiln-mdi run as a user runs it: twice, with its placement read back with kiln-reg in between.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program.h"
#include "support/temp_dir.h"

namespace {

TEST(MdiExample, RemembersItsPlacementBetweenRuns) {
    kiln::test::TempDir dir;
    dir.Write("a.txt", "one\ntwo\n");
    // Runs a program with the registry store in dir; standard output and error together.
    auto run = [&](const std::vector<std::string>& args) {
        return kiln::test::RunProgram(args, {"KILN_REGISTRY_DIR=" + dir.host()}, true);
    };
    const std::vector<std::string> getPlacement = {KILN_REG_PATH, "get",
                                                   R"(Software\tavrin\kiln-mdi\Settings)", "WindowPos"};

    kiln::test::ProgramRun first = run({KILN_MDI_PATH, dir.host("a.txt")});
    EXPECT_EQ(first.status, 0) << first.out;
    EXPECT_NE(first.out.find("(default)"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("a.txt: 8 bytes, 2 lines"), std::string::npos) << first.out;
    const kiln::test::ProgramRun saved = run(getPlacement);
    EXPECT_EQ(saved.status, 0);
    EXPECT_EQ(saved.out.rfind("0,1,", 0), 0u) << saved.out;

    // Maximized at close: the next run starts maximized at the same restore position.
    EXPECT_EQ(run({KILN_MDI_PATH, ";PF:show=#3"}).status, 0);
    EXPECT_EQ(run(getPlacement).out, "2,3," + saved.out.substr(4));
    std::string third = run({KILN_MDI_PATH}).out;
    EXPECT_NE(third.find("maximized (restored)"), std::string::npos) << third;

    // A file that cannot be opened is reported and ends the program with a failure, without waiting.
    kiln::test::ProgramRun missing = run({KILN_MDI_PATH, dir.host("missing.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("missing.txt"), std::string::npos) << missing.out;
}

}  // namespace

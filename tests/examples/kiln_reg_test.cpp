// The kiln-reg program: keys typed as for the Windows registry tools choose the hive, and commands
// that change a hive name it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program.h"
#include "support/temp_dir.h"

namespace {

TEST(KilnReg, KeysNameTheirHiveAsOnWindows) {
    kiln::test::TempDir dir;
    // Runs kiln-reg with the hives kept in dir; standard output and error together.
    auto reg = [&](std::vector<std::string> args) {
        args.insert(args.begin(), KILN_REG_PATH);
        return kiln::test::RunProgram(args, {"KILN_REGISTRY_DIR=" + dir.host()}, true);
    };
    const std::string notFound = "kiln-reg: HKEY_CURRENT_USER\\Software\\Acme: not found (error 2)\n";
    struct {
        std::vector<std::string> args;
        int status;
        std::string output;  // its first line
    } cases[] = {
        {{"set", R"(HKLM\Software\Acme)", "Size", "dword", "7"},
         0,
         "HKEY_LOCAL_MACHINE\\Software\\Acme\\Size\n"},
        {{"get", R"(hkey_local_machine\Software\Acme)", "Size"}, 0, "0x00000007 (7)\n"},
        {{"--machine", "get", R"(Software\Acme)", "Size"}, 0, "0x00000007 (7)\n"},
        {{"--machine", "get", R"(HKLM\Software\Acme)", "Size"}, 0, "0x00000007 (7)\n"},
        {{"get", R"(Software\Acme)", "Size"}, 1, notFound},
        {{"get", R"(HKCU\Software\Acme)", "Size"}, 1, notFound},
        {{"--user", "get", R"(HKLM\Software\Acme)", "Size"},
         2,
         "kiln-reg: the key names another hive than the option\n"},
        {{"get", R"(HKCR\Software)", "Size"},
         2,
         "kiln-reg: only HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE exist\n"},
        {{"delete-key", R"(HKEY_LOCAL_MACHINE\Software\Acme)"}, 0, "HKEY_LOCAL_MACHINE\\Software\\Acme\n"},
        {{"get", R"(HKLM\Software\Acme)", "Size"}, 1, "kiln-reg: HKEY_LOCAL_MACHINE\\Software\\Acme"},
    };
    for (const auto& c : cases) {
        kiln::test::ProgramRun run = reg(c.args);
        EXPECT_EQ(run.status, c.status) << c.args[1];
        EXPECT_EQ(run.out.substr(0, c.output.size()), c.output) << c.args[1];
    }
}

}  // namespace

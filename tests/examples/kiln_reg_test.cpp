// The kiln-reg program: keys typed as for the Windows registry tools choose the hive, and commands
// that change a hive name it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/temp_dir.h"

namespace {

struct Outcome {
    int status;
    std::string output;  // standard output and error
};

// Runs kiln-reg with the hives kept in dir; args are single-quoted for the shell.
Outcome KilnReg(const kiln::test::TempDir& dir, const std::string& args) {
    std::string command = "KILN_REGISTRY_DIR='" + dir.host() + "' '" KILN_REG_PATH "' " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    Outcome run{-1, ""};
    if (p == nullptr) return run;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, p)) run.output.append(buffer, n);
    int status = pclose(p);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(KilnReg, KeysNameTheirHiveAsOnWindows) {
    kiln::test::TempDir dir;
    Outcome set = KilnReg(dir, R"(set 'HKLM\Software\Acme' Size dword 7)");
    ASSERT_EQ(set.status, 0) << set.output;
    EXPECT_EQ(set.output, "HKEY_LOCAL_MACHINE\\Software\\Acme\\Size\n");
    struct {
        const char* args;
        int status;
        const char* output;
    } cases[] = {
        {R"(get 'hkey_local_machine\Software\Acme' Size)", 0, "0x00000007 (7)\n"},
        {R"(--machine get 'Software\Acme' Size)", 0, "0x00000007 (7)\n"},
        {R"(--machine get 'HKLM\Software\Acme' Size)", 0, "0x00000007 (7)\n"},
        {R"(get 'Software\Acme' Size)", 1, "kiln-reg: HKEY_CURRENT_USER\\Software\\Acme: not found (error 2)\n"},
        {R"(get 'HKCU\Software\Acme' Size)", 1, "kiln-reg: HKEY_CURRENT_USER\\Software\\Acme: not found (error 2)\n"},
        {R"(--user get 'HKLM\Software\Acme' Size)", 2, "kiln-reg: the key names another hive than the option\n"},
        {R"(get 'HKCR\Software' Size)", 2, "kiln-reg: only HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE exist\n"},
    };
    for (const auto& c : cases) {
        Outcome run = KilnReg(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_EQ(run.output.substr(0, run.output.find('\n') + 1), c.output) << c.args;
    }
    Outcome removed = KilnReg(dir, R"(delete-key 'HKEY_LOCAL_MACHINE\Software\Acme')");
    EXPECT_EQ(removed.output, "HKEY_LOCAL_MACHINE\\Software\\Acme\n");
    EXPECT_EQ(KilnReg(dir, R"(get 'HKLM\Software\Acme' Size)").status, 1);
}

}  // namespace

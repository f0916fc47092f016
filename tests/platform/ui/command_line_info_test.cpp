#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <kiln/kiln.h>

namespace {

// Records the calls ParseCommandLine makes, and lets the base parse them.
struct RecordingInfo : CCommandLineInfo {
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override {
        calls += (bFlag ? "F:" : "P:") + std::string(pszParam) + (bLast ? "!" : "") + " ";
        CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
    }
    std::string calls;
};

RecordingInfo Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "program");
    kiln::SetCommandLine((int)arguments.size(), arguments.data());
    CWinApp app("CommandLine");
    RecordingInfo info;
    app.ParseCommandLine(info);
    kiln::SetCommandLine(0, nullptr);
    return info;
}

TEST(CommandLineInfo, LinuxArgumentsSplitIntoFlagsAndNames) {
    struct Case {
        std::vector<const char*> arguments;
        const char* calls;
    };
    const Case cases[] = {
        {{"-p", "a.txt"}, "F:p P:a.txt! "},
        {{"/p", "/Embedding"}, "F:p F:Embedding! "},
        // Absolute paths: a folder that exists at the root, a path with more than one part, a dot.
        {{"/tmp", "/home/me/a.txt", "/a.txt"}, "P:/tmp P:/home/me/a.txt P:/a.txt! "},
        {{"-", "--", "-p", "/p"}, "P:- P:-p P:/p! "},
        {{";PF:a=#1", "FILE:x=y"}, "P:;PF:a=#1 P:FILE:x=y! "},
        {{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls);
        EXPECT_EQ(Parse(c.arguments).calls, c.calls);
    }
}

TEST(CommandLineInfo, FlagsSetTheShellCommand) {
    struct Case {
        std::vector<const char*> arguments;
        int shellCommand;
        const char* fileName;
    };
    const Case cases[] = {
        {{}, CCommandLineInfo::FileNew, ""},
        {{"a.txt"}, CCommandLineInfo::FileOpen, "a.txt"},
        {{"-P", "a.txt"}, CCommandLineInfo::FilePrint, "a.txt"},
        {{"-dde"}, CCommandLineInfo::FileDDE, ""},
        {{"/Regserver"}, CCommandLineInfo::AppRegister, ""},
        {{"-unregister"}, CCommandLineInfo::AppUnregister, ""},
        {{"-unknown", "a.txt"}, CCommandLineInfo::FileOpen, "a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        RecordingInfo info = Parse(c.arguments);
        EXPECT_EQ(info.m_nShellCommand, c.shellCommand);
        EXPECT_STREQ(info.m_strFileName, c.fileName);
    }
    RecordingInfo printTo = Parse({"-pt", "a.txt", "printer", "driver", "port"});
    EXPECT_EQ(printTo.m_nShellCommand, CCommandLineInfo::FilePrintTo);
    EXPECT_STREQ(printTo.m_strPrinterName, "printer");
    EXPECT_STREQ(printTo.m_strPortName, "port");
    RecordingInfo embedded = Parse({"-Embedding"});
    EXPECT_TRUE(embedded.m_bRunEmbedded);
    EXPECT_FALSE(embedded.m_bShowSplash);
}

TEST(CommandLineInfo, WithoutSavedArgumentsTheProcessOwnAreRead) {
    const std::vector<std::string> argv = ::testing::internal::GetArgvs();
    const std::vector<std::string> own(argv.begin() + 1, argv.end());
    EXPECT_EQ(kiln::GetCommandLineArguments(), own);
    const char* saved[] = {"program", "x"};
    kiln::SetCommandLine(2, saved);
    EXPECT_EQ(kiln::GetCommandLineArguments(), std::vector<std::string>{"x"});
    kiln::SetCommandLine(0, nullptr);
    EXPECT_EQ(kiln::GetCommandLineArguments(), own);
}

}  // namespace

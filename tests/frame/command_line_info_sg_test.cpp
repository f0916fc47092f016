#include <gtest/gtest.h>

#include <kiln/kiln.h>

namespace {

TEST(CommandLineInfoSg, NamedArgumentsAndPlainOnes) {
    struct Case {
        const char* param;
        const char* fileName;
        const char* profileA;  // the profile's entry "a"
        int shellCommand;
    };
    const Case cases[] = {
        {";PF:a=#1", "", "1", CCommandLineInfo::FileNew},
        {"FILE:x=y.txt", "x=y.txt", "", CCommandLineInfo::FileOpen},
        {"DOC:k=v", "k=v", "", CCommandLineInfo::FileOpen},
        {"FILE:plain.txt", "FILE:plain.txt", "", CCommandLineInfo::FileOpen},
        {"OTHER:a=b", "", "", CCommandLineInfo::FileNew},
        {";PF:", ";PF:", "", CCommandLineInfo::FileOpen},
        {"file:a=b", "", "", CCommandLineInfo::FileNew},  // names are case-sensitive: dropped
        {"a=b", "a=b", "", CCommandLineInfo::FileOpen},   // no ":" at all: a plain file name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.param);
        CCommandLineInfoSg info;
        info.ParseParam(c.param, FALSE, TRUE);
        EXPECT_STREQ(info.m_strFileName, c.fileName);
        EXPECT_EQ(info.GetProfile().ReadProfileInt("a", 0), *c.profileA ? 1 : 0);
        EXPECT_EQ(info.m_nShellCommand, c.shellCommand);
    }
}

TEST(CommandLineInfoSg, ProfileTextIsReplacedAndFlagsGoToTheBase) {
    CCommandLineInfoSg info;
    info.ParseParam(";PF:width=#640;title={main}", FALSE, FALSE);
    EXPECT_EQ(info.GetProfile().ReadProfileInt("width", 0), 640);
    EXPECT_STREQ(info.ReadProfileString("title", "none"), "main");
    info.ParseParam(";PF:height=#2", FALSE, FALSE);
    EXPECT_EQ(info.GetProfile().ReadProfileInt("width", 0), 0);
    EXPECT_EQ(info.GetProfile().ReadProfileInt("height", 0), 2);
    info.ParseParam("p", TRUE, FALSE);
    info.ParseParam("doc.txt", FALSE, TRUE);
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FilePrint);
    EXPECT_STREQ(info.m_strFileName, "doc.txt");
}

}  // namespace

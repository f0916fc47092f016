// kiln-ask on a terminal: each kind of question asked and answered in a pseudo-terminal, in UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program.h"
#include "support/pseudo_terminal.h"

namespace {

using kiln::test::PseudoTerminal;

using kiln::test::Utf8;

const std::string kKillLine = "\x15";

TEST(AskTerminal, TextIsEditedFromItsDefault) {
    PseudoTerminal term({KILN_ASK_PATH, "text", Utf8(u8"名前は?"), "taro"});
    ASSERT_TRUE(term.Expect(Utf8(u8"名前は?")));
    ASSERT_TRUE(term.Expect("> taro"));
    term.Type(
        "\x7f"
        "\x7f" +
        Utf8(u8"郎") + "\r");
    ASSERT_EQ(term.Wait(), 0) << term.Screen();
    EXPECT_NE(term.Screen().find(Utf8(u8"ta郎\r\n")), std::string::npos) << term.Screen();
}

TEST(AskTerminal, NumberOutOfRangeIsRefusedThenAskedAgain) {
    PseudoTerminal term({KILN_ASK_PATH, "number", "count", "1", "10"});
    ASSERT_TRUE(term.Expect("count"));
    ASSERT_TRUE(term.Expect("> "));
    term.Type(kKillLine + "11\r");
    ASSERT_TRUE(term.Expect("[Enter = OK]: "));
    term.Type("\r");
    ASSERT_TRUE(term.Expect("> 11"));
    term.Type(kKillLine + "7\r");
    ASSERT_EQ(term.Wait(), 0) << term.Screen();
    EXPECT_NE(term.Screen().find("\r\n7\r\n"), std::string::npos) << term.Screen();
}

TEST(AskTerminal, ChoiceIsTakenByItsNumberAndEscapeCancels) {
    const std::vector<std::string> ask = {KILN_ASK_PATH, "choose", Utf8(u8"どれ"), "a", Utf8(u8"びー"), "c"};
    {
        PseudoTerminal term(ask);
        ASSERT_TRUE(term.Expect(Utf8(u8"== どれ ==")));
        ASSERT_TRUE(term.Expect(Utf8(u8"  2  びー")));
        ASSERT_TRUE(term.Expect("Number (1-3): 1"));
        term.Type(
            "\x7f"
            "2\r");
        ASSERT_EQ(term.Wait(), 0) << term.Screen();
        EXPECT_NE(term.Screen().find(Utf8(u8"\r\nびー\r\n")), std::string::npos) << term.Screen();
    }
    PseudoTerminal term(ask);
    ASSERT_TRUE(term.Expect("Number (1-3): "));
    term.Type("\x1b");
    EXPECT_EQ(term.Wait(), 1) << term.Screen();
}

}  // namespace

#include <kiln/platform/text/format_strings.h>

#include <gtest/gtest.h>

#include <kiln/platform/runtime/resources.h>

TEST(AfxFormatStrings, InsertsStringsByNumber) {
    static const kiln::StringResource kTable[] = {
        {62801, "%2 after %1, %1 again; 100% and %3"},
        {62802, "表%1"},
    };
    kiln::AddStringTable(kTable, 2);
    CString s;
    AfxFormatString2(s, 62801, "a", "b");
    EXPECT_STREQ(s, "b after a, a again; 100% and ?");
    AfxFormatString1(s, 62802, "x");
    EXPECT_STREQ(s, "表x");
    AfxFormatString1(s, 62899, "x");
    EXPECT_STREQ(s, "");
    LPCTSTR three[] = {"1", nullptr, "3"};
    AfxFormatStrings(s, "%3%2%1%%", three, 3);
    EXPECT_STREQ(s, "3?1%%");
}

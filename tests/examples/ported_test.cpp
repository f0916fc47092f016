#include <gtest/gtest.h>

#include <string>

#include "program.h"
#include "support/temp_dir.h"

// The ported program prints what it printed on Windows and leaves its document in MFC's layout.
TEST(PortedExample, PrintsTheWindowsReport) {
    kiln::test::TempDir dir;
    EXPECT_EQ(kiln::test::RunProgram({KILN_PORTED_PATH, dir.win()}).out,
              "alpha.src    1200 src  main\n"
              "beta.src    65536 src  -\n"
              "gamma.inc       7 inc  shared\n"
              "3 files, 66743 bytes, largest 65536, 104B7 hex\n"
              "-5 -5 4464\n");
    std::string stored = dir.Read("report.dat");
    // New class tag, schema 1, "CReportDoc", then the string list's count and first string.
    EXPECT_EQ(stored.substr(0, 19), std::string("\xFF\xFF\x01\x00\x0A\x00"
                                                "CReportDoc"
                                                "\x03\x00"
                                                "\x09",
                                                19));
}

// The assembler's progress reports and its cancellation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm6502_run.h"

namespace {

// Records every report and answers false (cancel) from report number cancelAt on.
class Recorder : public CAsm6502::Progress {
public:
    explicit Recorder(size_t cancelAt) : m_cancelAt(cancelAt) {}
    bool Advance(int pass, unsigned int done, unsigned int total) override {
        reports.push_back({pass, done, total});
        return reports.size() < m_cancelAt;
    }
    struct Report {
        int pass;
        unsigned int done, total;
    };
    std::vector<Report> reports;

private:
    size_t m_cancelAt;
};

TEST(Asm6502Progress, ReportsBothPassesAndStopsWhenCancelled) {
    std::string source;
    for (int i = 0; i < 10000; ++i) source += " nop\n";

    Recorder all(SIZE_MAX);
    kiln::test::Assembly a = kiln::test::Assemble(source, false, &all);
    EXPECT_TRUE(a.ok);
    EXPECT_FALSE(a.cancelled);
    EXPECT_EQ(a.bytes.size(), 10000u);
    ASSERT_EQ(all.reports.size(), 4u);  // every 4096 lines of each pass
    EXPECT_EQ(all.reports[0].pass, 1);
    EXPECT_EQ(all.reports[2].pass, 2);
    for (const auto& r : all.reports) EXPECT_LT(r.done, r.total);
    EXPECT_LT(all.reports[0].done, all.reports[1].done);

    // A cancel in the first pass skips the second; one in the second ends it there. Either fails.
    for (size_t cancelAt : {1u, 3u}) {
        Recorder cancel(cancelAt);
        a = kiln::test::Assemble(source, false, &cancel);
        EXPECT_FALSE(a.ok) << cancelAt;
        EXPECT_TRUE(a.cancelled) << cancelAt;
        EXPECT_EQ(cancel.reports.size(), cancelAt);
        EXPECT_LT(a.bytes.size(), 10000u);
    }
}

}  // namespace

#include <kiln/platform/runtime/debug.h>

#include <gtest/gtest.h>

#include <kiln/platform/collections/string_list.h>
#include <kiln/platform/collections/ptr_list.h>

TEST(Debug, VerifyEvaluatesInEveryBuildAndDowncastsCheckTheClass) {
    int n = 0;
    VERIFY(++n == 1);
    EXPECT_EQ(n, 1);

    CStringList strings;
    CObject* object = &strings;
    EXPECT_EQ(DYNAMIC_DOWNCAST(CStringList, object), &strings);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CPtrList, object), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CStringList, (CObject*)nullptr), nullptr);
    EXPECT_EQ(STATIC_DOWNCAST(CStringList, object), &strings);
    ASSERT_KINDOF(CObject, object);
    ASSERT_VALID(object);
}

#if KILN_CHECKS
TEST(DebugDeathTest, ChecksAbortWithTheLineAndTracesGoToStandardError) {
    EXPECT_DEATH(ASSERT(1 + 1 == 3), R"(debug_test\.cpp\([0-9]+\): ASSERT failed: 1 \+ 1 == 3)");
    CStringList strings;
    CObject* object = &strings;
    EXPECT_DEATH(ASSERT_KINDOF(CPtrList, object), "ASSERT failed");
    testing::internal::CaptureStderr();
    TRACE("%ld|%s\n", -1L, CString("t"));
    TRACE0("plain %d\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "-1|t\nplain %d\n");
}
#endif

// Checks on the two ways the platform reports a failure: the thread's last error and MFC exceptions.
#pragma once

#include <gtest/gtest.h>

#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/runtime/last_error.h>

// Expects call (evaluated once, after the last error was cleared) to give result and to leave error
// as the last error.
#define EXPECT_LAST_ERROR(call, result, error)              \
    do {                                                    \
        SetLastError(0);                                    \
        EXPECT_EQ((call), (result)) << #call;               \
        EXPECT_EQ(GetLastError(), (DWORD)(error)) << #call; \
    } while (0)

namespace kiln::test {

// The m_cause of the E that body throws (0 for an exception without a cause), or -1 when it throws
// none; the exception is deleted. For a CFileException, osError (when given) receives m_lOsError.
template <class E, class Body>
int CauseOf(Body&& body, LONG* osError = nullptr) {
    try {
        body();
    } catch (E* e) {
        int cause = 0;
        if constexpr (requires { e->m_cause; }) cause = e->m_cause;
        if constexpr (requires { e->m_lOsError; })
            if (osError != nullptr) *osError = e->m_lOsError;
        e->Delete();
        return cause;
    }
    return -1;
}

}  // namespace kiln::test

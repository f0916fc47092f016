// The broken-down time of the C library as a SYSTEMTIME, shared by CTime and the system clock.
#pragma once

#include <ctime>

#include <kiln/platform/runtime/types.h>

namespace kiln::detail {

inline void FillSystemTime(const tm& fields, WORD milliseconds, SYSTEMTIME& st) {
    st.wYear = (WORD)(fields.tm_year + 1900);
    st.wMonth = (WORD)(fields.tm_mon + 1);
    st.wDayOfWeek = (WORD)fields.tm_wday;
    st.wDay = (WORD)fields.tm_mday;
    st.wHour = (WORD)fields.tm_hour;
    st.wMinute = (WORD)fields.tm_min;
    st.wSecond = (WORD)fields.tm_sec;
    st.wMilliseconds = milliseconds;
}

}  // namespace kiln::detail

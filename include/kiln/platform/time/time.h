// CTime: a point in time as a 64-bit count of seconds since 1970 (UTC), shown in local time.
#pragma once

#include <ctime>

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/types.h>

class CTime {
public:
    CTime() = default;
    CTime(time_t time) : m_time(time) {}  // NOLINT(google-explicit-constructor)
    // Local date and time; -1 seconds (an invalid time) when the fields do not form one.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);
    CTime(const FILETIME& ft, int nDST = -1);

    static CTime GetCurrentTime();

    time_t GetTime() const { return m_time; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    // strftime of the local time.
    CString Format(LPCTSTR pszFormat) const;
    CString FormatGmt(LPCTSTR pszFormat) const;
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    bool operator==(CTime t) const { return m_time == t.m_time; }
    bool operator!=(CTime t) const { return m_time != t.m_time; }
    bool operator<(CTime t) const { return m_time < t.m_time; }
    bool operator>(CTime t) const { return m_time > t.m_time; }
    bool operator<=(CTime t) const { return m_time <= t.m_time; }
    bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
    time_t m_time = 0;
};

#include <kiln/platform/time/time.h>

#include <kiln/platform/files/archive.h>

#include <string>

#include "platform/time/time_fields.h"

namespace {

// FILETIME counts 100-nanosecond steps from 1601-01-01 UTC; 11644473600 seconds lie between 1601
// and 1970.
constexpr long long kFileTimeTicksPerSecond = 10000000;
constexpr long long kSecondsFrom1601To1970 = 11644473600LL;

bool LocalFields(time_t t, struct tm& fields) { return localtime_r(&t, &fields) != nullptr; }

int LocalField(time_t t, int tm::*field) {
    struct tm fields {};
    return LocalFields(t, fields) ? fields.*field : 0;
}

CString FormatFields(const struct tm& fields, LPCTSTR pszFormat) {
    if (pszFormat == nullptr || pszFormat[0] == '\0') return CString();
    // strftime gives 0 both for "too small" and for an empty result: grow a few times, then accept.
    std::string buffer(128, '\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        size_t n = strftime(buffer.data(), buffer.size(), pszFormat, &fields);
        if (n > 0) return CString(buffer.data(), (int)n);
        buffer.resize(buffer.size() * 4);
    }
    return CString();
}

}  // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
    if (nYear < 1900 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 || nHour < 0 || nHour > 23 ||
        nMin < 0 || nMin > 59 || nSec < 0 || nSec > 59) {
        m_time = -1;
        return;
    }
    struct tm fields {};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_min = nMin;
    fields.tm_sec = nSec;
    fields.tm_isdst = nDST < 0 ? -1 : nDST > 0 ? 1 : 0;
    m_time = mktime(&fields);
}

// A year before 1900 gives the time 0, as in MFC.
CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear < 1900 ? CTime(0)
                            : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST)) {}

// A FILETIME is UTC already, so it converts directly; nDST only matters for local fields.
CTime::CTime(const FILETIME& ft, int /*nDST*/) {
    long long ticks = (long long)(((unsigned long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime);
    m_time = (time_t)(ticks / kFileTimeTicksPerSecond - kSecondsFrom1601To1970);
}

CTime CTime::GetCurrentTime() { return CTime(time(nullptr)); }

int CTime::GetYear() const { return LocalField(m_time, &tm::tm_year) + 1900; }
int CTime::GetMonth() const { return LocalField(m_time, &tm::tm_mon) + 1; }
int CTime::GetDay() const { return LocalField(m_time, &tm::tm_mday); }
int CTime::GetHour() const { return LocalField(m_time, &tm::tm_hour); }
int CTime::GetMinute() const { return LocalField(m_time, &tm::tm_min); }
int CTime::GetSecond() const { return LocalField(m_time, &tm::tm_sec); }
int CTime::GetDayOfWeek() const { return LocalField(m_time, &tm::tm_wday) + 1; }

CString CTime::Format(LPCTSTR pszFormat) const {
    struct tm fields {};
    if (!LocalFields(m_time, fields)) return CString();
    return FormatFields(fields, pszFormat);
}

CString CTime::FormatGmt(LPCTSTR pszFormat) const {
    struct tm fields {};
    if (gmtime_r(&m_time, &fields) == nullptr) return CString();
    return FormatFields(fields, pszFormat);
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
    struct tm fields {};
    if (!LocalFields(m_time, fields) || fields.tm_year + 1900 < 1601 || fields.tm_year + 1900 > 30827)
        return FALSE;
    kiln::FillSystemTime(fields, 0, st);
    return TRUE;
}

CArchive& operator<<(CArchive& ar, CTime time) { return ar << (LONGLONG)time.GetTime(); }

CArchive& operator>>(CArchive& ar, CTime& rtime) {
    LONGLONG seconds;
    ar >> seconds;
    rtime = CTime((time_t)seconds);
    return ar;
}

CArchive& operator<<(CArchive& ar, CTimeSpan span) { return ar << (LONGLONG)span.GetTimeSpan(); }

CArchive& operator>>(CArchive& ar, CTimeSpan& rspan) {
    LONGLONG seconds;
    ar >> seconds;
    rspan = CTimeSpan((time_t)seconds);
    return ar;
}

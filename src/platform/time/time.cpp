#include <kiln/platform/time/time.h>

#include <string>

#include "platform/time/file_time.h"
#include "platform/time/time_fields.h"

namespace {

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
    m_time = (time_t)kiln::detail::UnixSeconds(kiln::detail::FileTimeTicks(ft));
}

CTime CTime::GetCurrentTime() {
    return CTime((time_t)kiln::detail::UnixSeconds(kiln::detail::FileTimeNow()));
}

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
    kiln::detail::FillSystemTime(fields, 0, st);
    return TRUE;
}

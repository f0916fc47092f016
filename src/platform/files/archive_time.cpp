// CTime and CTimeSpan in archives: 8 bytes of seconds, as the Windows classes store them.
#include <kiln/platform/files/archive.h>
#include <kiln/platform/time/time.h>

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

// The system clock and the local time zone, as Win32 and the C run-time present them.
//
// SYSTEMTIME fields are calendar values (month 1-12, day of week 0 = Sunday) with milliseconds.
// FILETIME counts 100-nanosecond units since 1601-01-01 UTC. The zone is the host's (TZ, or the
// system's zone file), read again at every call, so a changed TZ takes effect at once.
#pragma once

#include <ctime>

#include <kiln/platform/runtime/types.h>

typedef long long __time64_t;
typedef int errno_t;

// The zone's offsets in minutes, west positive: UTC = local time + Bias (+ DaylightBias while
// daylight saving time is in force). Tokyo has Bias -540, New York 300 with DaylightBias -60.
// StandardDate and DaylightDate give the changes in the day-of-week form (wYear 0, wMonth, wDay the
// week 1-5 with 5 for the last, wDayOfWeek, wHour, wMinute) in the local time that is left; both
// are all zero for a zone without daylight saving time. The names are the zone's abbreviations.
struct TIME_ZONE_INFORMATION {
    LONG Bias;
    CHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    CHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
};
typedef TIME_ZONE_INFORMATION* LPTIME_ZONE_INFORMATION;

#define TIME_ZONE_ID_UNKNOWN 0u
#define TIME_ZONE_ID_STANDARD 1u
#define TIME_ZONE_ID_DAYLIGHT 2u
#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)

// Current local and UTC date and time; a null pointer is ignored.
void GetLocalTime(LPSYSTEMTIME lpSystemTime);
void GetSystemTime(LPSYSTEMTIME lpSystemTime);
void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);

// Fills *lpTimeZoneInformation; TIME_ZONE_ID_UNKNOWN for a zone without daylight saving time, else
// TIME_ZONE_ID_STANDARD or TIME_ZONE_ID_DAYLIGHT for the time now. A null pointer gives
// TIME_ZONE_ID_INVALID with ERROR_INVALID_PARAMETER.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);

// Seconds since 1970-01-01 UTC, also stored in *timer when it is not null.
__time64_t _time64(__time64_t* timer);
// The local date and time of *time in *tm: 0, or EINVAL when a pointer is null.
errno_t _localtime64_s(struct tm* tm, const __time64_t* time);

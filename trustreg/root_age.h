// Date arithmetic for the root list's age and the time-of-day part of date texts.
#pragma once

#include <cstdint>
#include <string>

// Age limit of the root list before the download prompt warns: 60 days.
constexpr int32_t kFreshnessSeconds = 5184000;
// A file without a time stamp (missing, a folder, or a time MS-DOS cannot hold).
constexpr int64_t kNoTimeStamp = -1;

struct LocalTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
    int millisecond;
};

// Unpacks a 32-bit MS-DOS date and time (date in the high word); false when the
// value names no real date and time.
bool UnpackDosDateTime(uint32_t dosDateTime, LocalTime& time);

// True when more than `seconds` seconds lie between `timeStamp` (an MS-DOS date
// and time, or kNoTimeStamp) and `now`; `valueIfUndetermined` when `seconds` is
// negative or there is no valid time stamp. A stamp in the future is not older.
bool IsFileOlderThan(int64_t timeStamp, int32_t seconds, bool valueIfUndetermined, const LocalTime& now);

// The user's long-time style as the regional settings give it.
struct TimeStyle {
    bool leadingZero;      // LOCALE_ITLZERO
    bool twelveHour;       // LOCALE_ITIME 0
    bool markBefore;       // LOCALE_ITIMEMARKPOSN not 0
    std::string separator; // LOCALE_STIME
    std::string am;        // LOCALE_S1159
    std::string pm;        // LOCALE_S2359
};

// Hours, minutes and seconds in the given style, without fractions.
std::string FormatTimeOfDay(const LocalTime& time, const TimeStyle& style);

// The date text followed, unless the time is exactly midnight, by a blank and the time.
std::string JoinDateAndTime(const std::string& dateText, const LocalTime& time, const TimeStyle& style);

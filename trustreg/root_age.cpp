// Date arithmetic for the root list's age and the time-of-day part of date texts.
#include "root_age.h"

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int year, int month, int day)
{
    int64_t y = month <= 2 ? year - 1 : year;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int64_t Milliseconds(const LocalTime& t)
{
    return ((DaysFromCivil(t.year, t.month, t.day) * 24 + t.hour) * 60 + t.minute) * 60000 +
           t.second * 1000 + t.millisecond;
}

} // namespace

bool UnpackDosDateTime(uint32_t dosDateTime, LocalTime& time)
{
    uint32_t date = dosDateTime >> 16;
    uint32_t clock = dosDateTime & 0xFFFF;
    time.year = 1980 + static_cast<int>(date >> 9);
    time.month = static_cast<int>((date >> 5) & 0x0F);
    time.day = static_cast<int>(date & 0x1F);
    time.hour = static_cast<int>(clock >> 11);
    time.minute = static_cast<int>((clock >> 5) & 0x3F);
    time.second = static_cast<int>(clock & 0x1F) * 2;
    time.millisecond = 0;
    return time.month >= 1 && time.month <= 12 && time.day >= 1 &&
           time.day <= DaysInMonth(time.year, time.month) && time.hour < 24 && time.minute < 60 &&
           time.second < 60;
}

bool IsFileOlderThan(int64_t timeStamp, int32_t seconds, bool valueIfUndetermined, const LocalTime& now)
{
    if (seconds < 0)
        return valueIfUndetermined;
    LocalTime stamp;
    if (timeStamp < 0 || timeStamp > 0xFFFFFFFFll || !UnpackDosDateTime(static_cast<uint32_t>(timeStamp), stamp))
        return valueIfUndetermined;
    return Milliseconds(now) - Milliseconds(stamp) > static_cast<int64_t>(seconds) * 1000;
}

std::string FormatTimeOfDay(const LocalTime& time, const TimeStyle& style)
{
    int hour = time.hour;
    if (style.twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    auto twoDigits = [](int value) {
        return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
    };
    std::string clock = (style.leadingZero || hour >= 10) ? twoDigits(hour) : std::to_string(hour);
    clock += style.separator + twoDigits(time.minute) + style.separator + twoDigits(time.second);
    if (!style.twelveHour)
        return clock;
    const std::string& mark = time.hour < 12 ? style.am : style.pm;
    return style.markBefore ? mark + " " + clock : clock + " " + mark;
}

std::string JoinDateAndTime(const std::string& dateText, const LocalTime& time, const TimeStyle& style)
{
    if (time.hour == 0 && time.minute == 0 && time.second == 0)
        return dateText;
    return dateText + " " + FormatTimeOfDay(time, style);
}
